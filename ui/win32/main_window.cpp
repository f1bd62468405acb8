#include "ui/win32/main_window.h"

#include <imm.h>
#include <windowsx.h>

#include "core/caption.h"
#include "platform/desktop_windows.h"
#include "platform/fault_injection.h"
#include "platform/host_call.h"
#include "platform/system_error.h"
#include "platform/wide.h"
#include "res/resource.h"
#include "ui/handlers.h"
#include "ui/win32/dark_theme.h"
#include "ui/win32/error_box.h"
#include "ui/win32/hung_call_exit.h"
#include "ui/win32/owned_window.h"

namespace zo {
namespace {

constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 188;
constexpr int kClientHeight = 49;
constexpr int kFirstControlId = 101;
constexpr RECT kShape1Place{2, 1, 2 + 9, 1 + 25};
// Sent by the host-call watch while a call to the host takes long (platform/host_call.h).
constexpr UINT kHostCallWatchMessage = WM_APP + 1;

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
    {L"BUTTON", L" \u767B\u9332", BS_PUSHBUTTON, 12, 71, 39, 25, false},               // Button1
    {L"BUTTON", L"ACT", BS_PUSHBUTTON, 14, 1, 37, 25, false},                          // Button2
    {L"EDIT", L"2020", ES_CENTER | ES_NUMBER | ES_AUTOHSCROLL, 137, 2, 44, 22, true},  // Edit2
    {L"BUTTON", L"Shift", BS_AUTOCHECKBOX, 47, 28, 44, 17, true},                      // CheckBox1
    {L"BUTTON", L"Ctrl", BS_AUTOCHECKBOX, 97, 28, 40, 17, true},                       // CheckBox2
    {L"BUTTON", L"IME", BS_AUTOCHECKBOX, 2, 28, 41, 17, true},                         // CheckBox3
    {L"BUTTON", L"OFF", BS_AUTOCHECKBOX, 141, 28, 40, 17, true},                       // CheckBox4
    {L"BUTTON", L"LIST", BS_PUSHBUTTON, 57, 1, 41, 25, false},                         // Button4
    {L"BUTTON", L"MOUSE", BS_AUTOCHECKBOX, 12, 103, 58, 17, false},                    // CheckBox5
};
static_assert(std::size(kLayout) == 9);

UniqueFont Tahoma(int pixelHeight) {
    FailIfAsked("font");
    UniqueFont font(::CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    if (!font) throw Error(u"The Tahoma font cannot be created");
    return font;
}

// The executable's icon at the size the system asks for; null when it cannot be loaded.
HICON ProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(ZO_PROGRAM_ICON), IMAGE_ICON,
                                           ::GetSystemMetrics(widthMetric), ::GetSystemMetrics(heightMetric),
                                           LR_DEFAULTCOLOR | LR_SHARED));
}

Text WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int read = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(read > 0 ? read : 0));
    return FromWide(text);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, DarkTheme* theme) : instance_(instance), theme_(theme) {}

MainWindow::~MainWindow() { Destroy(); }

void MainWindow::Create(Ports& ports, ProfileStore& store) {
    ports_ = &ports;
    store_ = &store;
    Shape1::Register(instance_);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = OwnedWindowProc<MainWindow>;
    windowClass.hInstance = instance_;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ProgramIcon(instance_, SM_CXICON, SM_CYICON);
    windowClass.hIconSm = ProgramIcon(instance_, SM_CXSMICON, SM_CYSMICON);
    windowClass.hbrBackground =
        theme_ ? theme_->WindowBrush() : reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kMainWindowClass;
    if (!::RegisterClassExW(&windowClass)) throw LastError(u"RegisterClassExW");

    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, kMainStyle, FALSE, kMainExStyle);
    const std::wstring caption = ToWide(kInitialCaption);
    // The settings give the real position while the window is created; 0, 0 is never seen.
    const HWND window = ::CreateWindowExW(kMainExStyle, kMainWindowClass, caption.c_str(), kMainStyle, 0, 0,
                                          frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                          nullptr, instance_, this);
    const DWORD error = ::GetLastError();
    creationFailure_.RethrowIfAny();
    if (!window) throw LastError(u"CreateWindowExW", error);
}

void MainWindow::Show() {
    shown_ = true;
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
}

void MainWindow::Destroy() noexcept {
    if (window_ && !destroyed_) ::DestroyWindow(window_);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Under the error box of a write that failed inside a hung call, nothing starts again.
    if (IsEndingInsideHostCall() && RunsAHandler(message)) return 0;
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
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
            if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case WM_MEASUREITEM:
            if (OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            if (const HBRUSH brush = OnCtlColor(message, reinterpret_cast<HDC>(wParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            OnEndSession(wParam != FALSE);
            return 0;
        case kHostCallWatchMessage:
            OnHostCallWatch();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::OnTimer(UINT_PTR id) {
    if (id == kTimer1) RunGuarded(window_, [this] { Timer1Timer(*ports_); });
}

bool MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (!theme_) return false;
    if (item.CtlType == ODT_BUTTON) theme_->DrawPushButton(item);
    if (item.CtlType == ODT_MENU) theme_->DrawMenuItem(item);
    return true;
}

bool MainWindow::OnMeasureItem(MEASUREITEMSTRUCT& item) {
    if (!theme_ || item.CtlType != ODT_MENU) return false;
    theme_->MeasureMenuItem(window_, item);
    return true;
}

HBRUSH MainWindow::OnCtlColor(UINT message, HDC dc) {
    if (!theme_) return nullptr;
    return message == WM_CTLCOLOREDIT ? theme_->ColourEdit(dc) : theme_->ColourStatic(dc);
}

void MainWindow::OnClose() {
    if (IsInsideHostCall()) EndInsideHostCall([this] { EndingInsideHostCall(); });
    // Nothing refuses the close. The loop ends; the window is destroyed (and the settings
    // written) after it, hidden until then.
    ::ShowWindow(window_, SW_HIDE);
    ::PostQuitMessage(0);
}

void MainWindow::OnEndSession(bool ending) {
    if (!ending) return;
    // The process may be ended as soon as this returns: write the settings now.
    if (IsInsideHostCall()) EndInsideHostCall([this] { EndingInsideHostCall(); });
    ::ShowWindow(window_, SW_HIDE);
    ::DestroyWindow(window_);
    ::PostQuitMessage(0);
}

void MainWindow::OnHostCallWatch() {
    if (!IsInsideHostCall() || !CloseRequestQueued(window_)) return;
    EndInsideHostCall([this] { EndingInsideHostCall(); });
}

void MainWindow::OnDestroy() {
    destroyed_ = true;
    ::KillTimer(window_, kTimer1);
    StopWatchingHostCalls();
    WriteSettingsOnce();
}

void MainWindow::EndingInsideHostCall() {
    // Exactly what the window's destruction would write; the window itself stays, hidden, until
    // the process ends.
    ::KillTimer(window_, kTimer1);
    WriteSettingsOnce();
}

void MainWindow::OnCreate() {
    WatchHostCallsFor(window_, kHostCallWatchMessage);
    CreateControls();
    popupMenu1_.Build(theme_);
    if (theme_) {
        FailIfAsked("theme");
        DarkTheme::DarkenTitleBar(window_);
    }
    timer1Enabled_ = ::SetTimer(window_, kTimer1, kTimer1IntervalMs, nullptr) != 0;
    RunGuarded(window_, [this] { FormCreate(*ports_, *store_, Sizes()); });
}

void MainWindow::CreateControls() {
    windowFont_ = Tahoma(11);
    controlFont_ = Tahoma(12);
    ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);

    shape1_.Create(window_, instance_, kShape1Place);

    for (int i = 0; i < kControlCount; ++i) {
        const ControlLayout& layout = kLayout[i];
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | layout.style;
        DWORD exStyle = 0;
        const bool isPushButton = layout.style == BS_PUSHBUTTON;
        if (theme_ && isPushButton) style = (style & ~static_cast<DWORD>(BS_PUSHBUTTON)) | BS_OWNERDRAW;
        if (i == kCheckBox1) FailIfAsked("controls");  // a few controls exist already
        if (i == kEdit2) {
            if (theme_) {
                style |= WS_BORDER;
            } else {
                exStyle |= WS_EX_CLIENTEDGE;
            }
        }
        const HWND control = ::CreateWindowExW(
            exStyle, layout.className, layout.text, style, layout.left, layout.top, layout.width,
            layout.height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)),
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
        if (id == static_cast<int>(PopupMenu1::kKorva1))
            RunGuarded(window_, [this] { KORVA1Click(*ports_); });
        return;
    }
    const int index = id - kFirstControlId;
    if (index >= 0 && index < kControlCount) OnControlCommand(static_cast<Control>(index), code);
}

// One handler per control and event; CheckBox5 has none.
void MainWindow::OnControlCommand(Control control, int code) {
    if (control == kEdit2) {
        if (code == EN_CHANGE && !writingVersionBox_) RunGuarded(window_, [this] { Edit2Change(*ports_); });
        return;
    }
    if (code != BN_CLICKED) return;
    void (*handler)(Ports&) = nullptr;
    switch (control) {
        case kButton1:
            handler = Button1Click;
            break;
        case kButton2:
            handler = Button2Click;
            break;
        case kButton4:
            handler = Button4Click;
            break;
        case kCheckBox1:
            handler = CheckBox1Click;
            break;
        case kCheckBox2:
            handler = CheckBox2Click;
            break;
        case kCheckBox3:
            handler = CheckBox3Click;
            break;
        case kCheckBox4:
            handler = CheckBox4Click;
            break;
        default:
            return;
    }
    RunGuarded(window_, [this, handler] { handler(*ports_); });
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
    popupMenu1_.Track(window_, point);
}

void MainWindow::WriteSettingsOnce() {
    if (settingsWritten_) return;
    settingsWritten_ = true;
    // The window is going: the error box of a failed write has no owner left.
    RunGuarded(nullptr, [this] { FormDestroy(); });
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

}  // namespace zo
