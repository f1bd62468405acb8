#include "ui/win32/main_window.h"

#include <imm.h>
#include <windowsx.h>

#include <stdexcept>
#include <vector>

#include "core/caption.h"
#include "core/host_match.h"
#include "platform/desktop_windows.h"
#include "platform/host_call.h"
#include "platform/profile.h"
#include "platform/system_error.h"
#include "platform/wide.h"
#include "ui/handlers.h"
#include "ui/win32/dark_theme.h"
#include "ui/win32/error_box.h"
#include "ui/win32/owned_window.h"
#include "ui/win32/information_box.h"

namespace zo {
namespace {

constexpr const wchar_t* kLampClass = L"ZO24_RAZ.Lamp";
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 188;
constexpr int kClientHeight = 49;
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1IntervalMs = 100;
constexpr int kFirstControlId = 101;
constexpr std::uint32_t kLampBeforeFirstTick = 0xFFFFFF;
// Sent by the host-call watch while a call to the host takes long (platform/host_call.h).
constexpr UINT kHostCallWatchMessage = WM_APP + 1;

enum MenuId : UINT { kMenuKorva1 = 201, kMenuVexoExe1 = 202, kMenuVersion = 203 };

struct ControlLayout {
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    int left, top, width, height;
    bool tahoma12;
};

// In tab order: creation order is what Tab walks through, the two controls below the visible
// client area (Button1, CheckBox5) included.
constexpr ControlLayout kLayout[] = {
    {L"BUTTON", L" \u767B\u9332", BS_PUSHBUTTON, 12, 71, 39, 25, false},       // Button1
    {L"BUTTON", L"ACT", BS_PUSHBUTTON, 14, 1, 37, 25, false},                  // Button2
    {L"EDIT", L"2020", ES_CENTER | ES_NUMBER | ES_AUTOHSCROLL, 137, 2, 44, 22, true},  // Edit2
    {L"BUTTON", L"Shift", BS_AUTOCHECKBOX, 47, 28, 44, 17, true},              // CheckBox1
    {L"BUTTON", L"Ctrl", BS_AUTOCHECKBOX, 97, 28, 40, 17, true},               // CheckBox2
    {L"BUTTON", L"IME", BS_AUTOCHECKBOX, 2, 28, 41, 17, true},                 // CheckBox3
    {L"BUTTON", L"OFF", BS_AUTOCHECKBOX, 141, 28, 40, 17, true},               // CheckBox4
    {L"BUTTON", L"LIST", BS_PUSHBUTTON, 57, 1, 41, 25, false},                 // Button4
    {L"BUTTON", L"MOUSE", BS_AUTOCHECKBOX, 12, 103, 58, 17, false},            // CheckBox5
};
static_assert(std::size(kLayout) == 9);

UniqueFont Tahoma(int pixelHeight) {
    return UniqueFont(::CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
}

Text WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int read = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(read > 0 ? read : 0));
    return FromWide(text);
}

// A menu item caption shows "&" itself, not as an access-key mark.
std::wstring LiteralMenuText(TextView text) {
    std::wstring escaped;
    for (const char16_t unit : text) {
        escaped += static_cast<wchar_t>(unit);
        if (unit == u'&') escaped += L'&';
    }
    return escaped;
}

void AppendMenuText(HMENU menu, UINT id, const std::wstring& text, HMENU subMenu = nullptr) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID | (subMenu ? MIIM_SUBMENU : 0u);
    info.fType = MFT_STRING;
    info.fState = MFS_ENABLED;
    info.wID = id;
    info.hSubMenu = subMenu;
    std::wstring copy = text;
    info.dwTypeData = copy.data();
    if (!::InsertMenuItemW(menu, static_cast<UINT>(::GetMenuItemCount(menu)), TRUE, &info)) {
        throw LastError(u"InsertMenuItemW");
    }
}

void AppendSeparator(HMENU menu) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    info.fType = MFT_SEPARATOR;
    if (!::InsertMenuItemW(menu, static_cast<UINT>(::GetMenuItemCount(menu)), TRUE, &info)) {
        throw LastError(u"InsertMenuItemW");
    }
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, DarkTheme* theme)
    : instance_(instance), theme_(theme), lampColor_(kLampBeforeFirstTick) {}

MainWindow::~MainWindow() { Destroy(); }

void MainWindow::RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW lamp{};
    lamp.cbSize = sizeof lamp;
    lamp.lpfnWndProc = LampProc;
    lamp.hInstance = instance;
    lamp.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    lamp.lpszClassName = kLampClass;
    if (!::RegisterClassExW(&lamp)) throw LastError(u"RegisterClassExW");
}

void MainWindow::Create(Ports& ports, ProfileStore& store) {
    ports_ = &ports;
    store_ = &store;
    RegisterClasses(instance_);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = OwnedWindowProc<MainWindow>;
    windowClass.hInstance = instance_;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconW(instance_, L"MAINICON");
    windowClass.hbrBackground =
        theme_ ? theme_->WindowBrush() : reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kMainWindowClass;
    if (!::RegisterClassExW(&windowClass)) throw LastError(u"RegisterClassExW");

    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, kMainStyle, FALSE, kMainExStyle);
    const std::wstring caption = ToWide(kInitialCaption);
    // The settings give the real position while the window is created; 0, 0 is never seen.
    const HWND window = ::CreateWindowExW(kMainExStyle, kMainWindowClass, caption.c_str(), kMainStyle, 0, 0,
                                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                          instance_, this);
    if (!window) throw LastError(u"CreateWindowExW");
}

void MainWindow::Show() {
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
}

void MainWindow::Destroy() noexcept {
    if (window_ && !destroyed_) ::DestroyWindow(window_);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1) RunGuarded(window_, [this] { Timer1Timer(*ports_); });
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == controls_[kEdit2]) break;
            OnContextMenu(lParam);
            return 0;
        case WM_DRAWITEM:
            if (theme_) {
                const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                if (item.CtlType == ODT_BUTTON) theme_->DrawPushButton(item);
                if (item.CtlType == ODT_MENU) theme_->DrawMenuItem(item);
                return TRUE;
            }
            break;
        case WM_MEASUREITEM:
            if (theme_ && reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
                theme_->MeasureMenuItem(window_, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (theme_) return reinterpret_cast<LRESULT>(theme_->ColourStatic(reinterpret_cast<HDC>(wParam)));
            break;
        case WM_CTLCOLOREDIT:
            if (theme_) return reinterpret_cast<LRESULT>(theme_->ColourEdit(reinterpret_cast<HDC>(wParam)));
            break;
        case WM_CLOSE:
            if (IsInsideHostCall()) EndInsideHostCall();
            // Nothing refuses the close. The loop ends; the window is destroyed (and the settings
            // written) after it, hidden until then.
            ::ShowWindow(window_, SW_HIDE);
            ::PostQuitMessage(0);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The process may be ended as soon as this returns: write the settings now.
            if (wParam) {
                if (IsInsideHostCall()) EndInsideHostCall();
                ::ShowWindow(window_, SW_HIDE);
                ::DestroyWindow(window_);
                ::PostQuitMessage(0);
            }
            return 0;
        case kHostCallWatchMessage:
            if (IsInsideHostCall() && CloseRequestQueued()) EndInsideHostCall();
            return 0;
        case WM_DESTROY:
            destroyed_ = true;
            ::KillTimer(window_, kTimer1);
            WatchHostCallsFor(nullptr, 0);
            WriteSettingsOnce();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::OnCreate() {
    WatchHostCallsFor(window_, kHostCallWatchMessage);
    CreateControls();
    BuildPopupMenu();
    if (theme_) DarkTheme::DarkenTitleBar(window_);
    timerEnabled_ = ::SetTimer(window_, kTimer1, kTimer1IntervalMs, nullptr) != 0;
    RunGuarded(window_, [this] { FormCreate(*ports_, *store_, Sizes()); });
}

void MainWindow::CreateControls() {
    windowFont_ = Tahoma(11);
    controlFont_ = Tahoma(12);
    ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);

    lamp_ = ::CreateWindowExW(0, kLampClass, L"", WS_CHILD | WS_VISIBLE, 2, 1, 9, 25, window_, nullptr,
                              instance_, this);
    if (!lamp_) throw LastError(u"CreateWindowExW");

    for (int i = 0; i < kControlCount; ++i) {
        const ControlLayout& layout = kLayout[i];
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | layout.style;
        DWORD exStyle = 0;
        const bool isPushButton = layout.style == BS_PUSHBUTTON;
        if (theme_ && isPushButton) style = (style & ~static_cast<DWORD>(BS_PUSHBUTTON)) | BS_OWNERDRAW;
        if (i == kEdit2) {
            if (theme_) {
                style |= WS_BORDER;
            } else {
                exStyle |= WS_EX_CLIENTEDGE;
            }
        }
        const HWND control = ::CreateWindowExW(exStyle, layout.className, layout.text, style, layout.left,
                                               layout.top, layout.width, layout.height, window_,
                                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)),
                                               instance_, nullptr);
        if (!control) throw LastError(u"CreateWindowExW");
        controls_[static_cast<std::size_t>(i)] = control;
        const HFONT font = layout.tahoma12 ? controlFont_.get() : windowFont_.get();
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (theme_ && i == kEdit2) DarkTheme::UseClassicLook(control);
        if (theme_ && layout.style == BS_AUTOCHECKBOX) theme_->DarkenCheckBox(control);
    }
    for (const Control toggle : {kCheckBox1, kCheckBox2, kCheckBox3, kCheckBox4}) {
        ::SendMessageW(controls_[toggle], BM_SETCHECK, BST_CHECKED, 0);
    }
    // Only digits belong in the version box: keep the input method away from it entirely.
    ::ImmAssociateContextEx(controls_[kEdit2], nullptr, 0);
    lastVersionText_ = ReadVersionBox();
}

void MainWindow::BuildPopupMenu() {
    popupMenu_.reset(::CreatePopupMenu());
    UniqueMenu pathMenu(::CreatePopupMenu());
    UniqueMenu versionMenu(::CreatePopupMenu());
    if (!popupMenu_ || !pathMenu || !versionMenu) throw LastError(u"CreatePopupMenu");
    AppendMenuText(pathMenu.get(), kMenuVexoExe1, L"vexo.exe");
    AppendMenuText(versionMenu.get(), kMenuVersion, L"ZO24_RAZ 1.02 (2024.09.09)");

    const HMENU menu = popupMenu_.get();
    AppendMenuText(menu, kMenuKorva1, L"\u8D77\u52D5\u4E2D\u306E KORVA \u3092\u767B\u9332");
    AppendSeparator(menu);
    pathMenu_ = pathMenu.get();
    AppendMenuText(menu, 0, L"AppFullName", pathMenu.release());  // the menu owns its submenus now
    AppendSeparator(menu);
    AppendMenuText(menu, 0, L"\u30D0\u30FC\u30B8\u30E7\u30F3\u60C5\u5831", versionMenu.release());
    if (theme_) theme_->PrepareMenu(menu);
}

void MainWindow::OnCommand(int id, int code, HWND control) {
    if (id == IDOK) {
        // Enter through the dialog keys: owner-drawn buttons are not default buttons, so the
        // dialog manager names IDOK instead of the focused button. Enter still clicks it.
        const HWND focus = ::GetFocus();
        for (const Control button : {kButton1, kButton2, kButton4}) {
            if (focus == controls_[button]) ::SendMessageW(focus, BM_CLICK, 0, 0);
        }
        return;
    }
    if (!control) {
        if (id == kMenuKorva1) RunGuarded(window_, [this] { KORVA1Click(*ports_); });
        return;
    }
    const int index = id - kFirstControlId;
    if (index < 0 || index >= kControlCount) return;
    if (index == kEdit2) {
        if (code != EN_CHANGE || applyingValue_) return;
        // Only a real change of the text counts (EN_CHANGE also follows a rewrite of the same text).
        RunGuarded(window_, [this] {
            Text text = ReadVersionBox();
            if (text == lastVersionText_) return;
            lastVersionText_ = std::move(text);
            Edit2Change(*ports_);
        });
        return;
    }
    if (code != BN_CLICKED || applyingValue_) return;
    switch (index) {
        case kButton1:
            RunGuarded(window_, [this] { Button1Click(*ports_); });
            break;
        case kButton2:
            RunGuarded(window_, [this] { Button2Click(*ports_); });
            break;
        case kButton4:
            RunGuarded(window_, [this] { Button4Click(*ports_); });
            break;
        case kCheckBox1:
        case kCheckBox2:
        case kCheckBox3:
        case kCheckBox4:
            RunGuarded(window_, [this] { ToggleClick(*ports_); });
            break;
        default:
            break;  // CheckBox5 has no handler
    }
}

void MainWindow::OnActivate(bool active) {
    if (!active) {
        const HWND focus = ::GetFocus();
        savedFocus_ = focus && ::IsChild(window_, focus) ? focus : nullptr;
        return;
    }
    // With no control focused yet, the first in tab order gets the focus, although it lies
    // below the visible area.
    ::SetFocus(savedFocus_ && ::IsWindow(savedFocus_) ? savedFocus_ : controls_[kButton1]);
}

void MainWindow::OnContextMenu(LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (point.x == -1 && point.y == -1) {
        // From the keyboard: open at the window's top-left client corner.
        point = {0, 0};
        ::ClientToScreen(window_, &point);
    } else {
        POINT client = point;
        ::ScreenToClient(window_, &client);
        RECT area{};
        ::GetClientRect(window_, &area);
        if (!::PtInRect(&area, client)) {
            ::DefWindowProcW(window_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window_), lParam);
            return;
        }
    }
    ::TrackPopupMenuEx(popupMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, point.x, point.y,
                       window_, nullptr);
}

void MainWindow::WriteSettingsOnce() {
    if (settingsWritten_) return;
    settingsWritten_ = true;
    // The window is going: the error box of a failed write has no owner left.
    RunGuarded(nullptr, [this] { FormDestroy(); });
}

bool MainWindow::CloseRequestQueued() const {
    // The user's ways of closing, as they wait in the queue while the program cannot dispatch
    // them (a peek sees only the first message of a kind, so some are taken out to look past).
    MSG message{};
    if (::PeekMessageW(&message, window_, WM_CLOSE, WM_CLOSE, PM_NOREMOVE | PM_NOYIELD)) return true;
    if (::PeekMessageW(&message, window_, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_NOREMOVE | PM_NOYIELD) &&
        (message.wParam & 0xFFF0) == SC_CLOSE) {
        return true;
    }
    // Presses on the frame: the close button ends the program; a press anywhere else on the
    // frame of a window that cannot answer is dropped.
    while (::PeekMessageW(&message, window_, WM_NCLBUTTONDOWN, WM_NCMBUTTONDBLCLK, PM_REMOVE | PM_NOYIELD)) {
        if (message.message == WM_NCLBUTTONDOWN && message.wParam == HTCLOSE) return true;
    }
    // Alt+F4 goes to the control that has the focus, behind the Alt press itself. The keys are
    // put back in their order when they ask for nothing, so typing is not lost.
    std::vector<MSG> keys;
    bool closeKey = false;
    while (::PeekMessageW(&message, window_, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE | PM_NOYIELD)) {
        if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) closeKey = true;
        keys.push_back(message);
    }
    if (closeKey) return true;
    for (const MSG& key : keys) ::PostMessageW(key.hwnd, key.message, key.wParam, key.lParam);
    return false;
}

void MainWindow::EndInsideHostCall() {
    // A host that does not answer must not keep the user from closing, nor cost the session's
    // settings. The call cannot be cancelled, so the program does not go back into it: it writes
    // the settings exactly as the window's destruction would and ends here, with exit code 0.
    // No tick may start under the error box of a failed write.
    ::KillTimer(window_, kTimer1);
    ::ShowWindow(window_, SW_HIDE);
    WriteSettingsOnce();
    ::ExitProcess(0);
}

void MainWindow::FormDestroy() {
    if (!store_ || !ports_) return;
    SaveSettings(*store_, CollectSettings());
}

RunSettings MainWindow::CollectSettings() const {
    RunSettings settings;
    RECT rect{};
    if (::IsIconic(window_)) {
        // A minimised window stores where it would be restored. The placement is in workspace
        // coordinates, which differ from the screen's when the taskbar sits at the top or left.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        ::GetWindowPlacement(window_, &placement);
        rect = placement.rcNormalPosition;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (::GetMonitorInfoW(::MonitorFromRect(&rect, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
            ::OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left,
                         monitor.rcWork.top - monitor.rcMonitor.top);
        }
    } else {
        ::GetWindowRect(window_, &rect);
    }
    settings.left = rect.left;
    settings.top = rect.top;
    settings.appFullName = ports_->state.appFullName;
    settings.version = ReadVersionBox();
    const auto ticked = [this](Control control) {
        return ::SendMessageW(controls_[control], BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    settings.shift = ticked(kCheckBox1);
    settings.ctrl = ticked(kCheckBox2);
    settings.ime = ticked(kCheckBox3);
    settings.off = ticked(kCheckBox4);
    return settings;
}

ScreenAndWindowSize MainWindow::Sizes() const {
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    return {PrimaryScreenWidth(), PrimaryScreenHeight(), rect.right - rect.left, rect.bottom - rect.top};
}

HWND MainWindow::ToggleControl(Toggle toggle) const noexcept {
    switch (toggle) {
        case Toggle::Shift:
            return controls_[kCheckBox1];
        case Toggle::Ctrl:
            return controls_[kCheckBox2];
        case Toggle::Ime:
            return controls_[kCheckBox3];
        case Toggle::Off:
            return controls_[kCheckBox4];
    }
    return nullptr;
}

Text MainWindow::ReadVersionBox() const { return WindowText(controls_[kEdit2]); }

// ---- MainWindowView -------------------------------------------------------------------------

WindowHandle MainWindow::Handle() { return FromHwnd(window_); }

Text MainWindow::Caption() {
    // Read on every tick: the title as the window keeps it, without a message to our own window.
    wchar_t buffer[kWindowTextBufferUnits] = {};
    const int length = ::InternalGetWindowText(window_, buffer, kWindowTextBufferUnits);
    return length > 0 ? FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length))) : Text();
}

void MainWindow::SetCaption(TextView caption) {
    const std::wstring text = ToWide(caption);
    ::SetWindowTextW(window_, text.c_str());
}

std::uint32_t MainWindow::LampColor() { return lampColor_; }

void MainWindow::SetLampColor(std::uint32_t color) {
    if (color == lampColor_) return;
    lampColor_ = color;
    ::InvalidateRect(lamp_, nullptr, FALSE);
}

bool MainWindow::IsTicked(Toggle toggle) {
    return ::SendMessageW(ToggleControl(toggle), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

Text MainWindow::VersionBoxText() { return ReadVersionBox(); }

void MainWindow::SetTimerEnabled(bool enabled) {
    if (enabled) {
        // SetTimer on a running timer restarts its interval, as switching it on must.
        timerEnabled_ = ::SetTimer(window_, kTimer1, kTimer1IntervalMs, nullptr) != 0;
    } else if (timerEnabled_) {
        ::KillTimer(window_, kTimer1);
        timerEnabled_ = false;
    }
}

void MainWindow::Close() { ::PostMessageW(window_, WM_CLOSE, 0, 0); }

void MainWindow::SetRegisteredPathCaption(TextView path) {
    std::wstring text = LiteralMenuText(path);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    if (!::SetMenuItemInfoW(pathMenu_, 0, TRUE, &info)) throw LastError(u"SetMenuItemInfoW");
}

void MainWindow::SetPosition(std::int32_t left, std::int32_t top) {
    ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetVersionBoxText(TextView text) {
    if (ReadVersionBox() == text) return;
    const std::wstring wide = ToWide(text);
    applyingValue_ = true;
    ::SetWindowTextW(controls_[kEdit2], wide.c_str());
    applyingValue_ = false;
    lastVersionText_ = ReadVersionBox();
    Edit2Change(*ports_);
}

void MainWindow::SetTicked(Toggle toggle, bool ticked) {
    const HWND control = ToggleControl(toggle);
    if (IsTicked(toggle) == ticked) return;
    // BM_SETCHECK sends no BN_CLICKED; the click handler runs here, as for a user's click.
    ::SendMessageW(control, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    ToggleClick(*ports_);
}

void MainWindow::ShowInformation(TextView text) { ShowCentredInformation(window_, text); }

// ---- Shape1, the lamp -----------------------------------------------------------------------

LRESULT CALLBACK MainWindow::LampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    const auto* owner = reinterpret_cast<const MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && owner) {
        owner->PaintLamp(window);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void MainWindow::PaintLamp(HWND lamp) const {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(lamp, &paint);
    RECT rect{};
    ::GetClientRect(lamp, &rect);
    const UniqueBrush fill(::CreateSolidBrush(static_cast<COLORREF>(lampColor_)));
    const HGDIOBJ oldBrush = ::SelectObject(dc, fill.get());
    const HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::EndPaint(lamp, &paint);
}

}  // namespace zo
