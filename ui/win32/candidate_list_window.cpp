#include "ui/win32/candidate_list_window.h"

#include <commctrl.h>

#include "platform/desktop_windows.h"
#include "platform/fault_injection.h"
#include "platform/system_error.h"
#include "platform/wide.h"
#include "ui/win32/centre_on_screen.h"
#include "ui/win32/dark_theme.h"
#include "ui/win32/error_box.h"
#include "ui/win32/hung_call_exit.h"
#include "ui/win32/owned_window.h"

namespace zo {
namespace {

constexpr const wchar_t* kListWindowClass = L"TInputListForm";
constexpr const wchar_t* kListWindowTitle = L"\u5165\u529B\u5019\u88DC";
constexpr DWORD kListWindowStyle = WS_POPUP | WS_BORDER | WS_THICKFRAME;
// A tool window keeps the pop-up off the taskbar: the program shows only the main window there.
constexpr DWORD kListWindowExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
constexpr int kClientWidth = 296;
constexpr int kClientHeight = 295;
constexpr int kRowHeight = 18;
constexpr int kListId = 1;
constexpr UINT_PTR kListSubclassId = 1;

}  // namespace

CandidateListWindow::CandidateListWindow(HINSTANCE instance, const DarkTheme* theme,
                                         const TextCompare& compareForUser)
    : instance_(instance), theme_(theme), form_(*this, compareForUser) {}

CandidateListWindow::~CandidateListWindow() { Destroy(); }

void CandidateListWindow::Create(HWND modalOwner) {
    modalOwner_ = modalOwner;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DROPSHADOW;
    windowClass.lpfnWndProc = OwnedWindowProc<CandidateListWindow>;
    windowClass.hInstance = instance_;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kListWindowClass;
    if (!::RegisterClassExW(&windowClass)) throw LastError(u"RegisterClassExW");

    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, kListWindowStyle, FALSE, kListWindowExStyle);
    const HWND window = ::CreateWindowExW(kListWindowExStyle, kListWindowClass, kListWindowTitle,
                                          kListWindowStyle, 0, 0, frame.right - frame.left,
                                          frame.bottom - frame.top, nullptr, nullptr, instance_, this);
    const DWORD error = ::GetLastError();
    creationFailure_.RethrowIfAny();
    if (!window) throw LastError(u"CreateWindowExW", error);
    // CreateWindowEx adds a caption to a pop-up with a sizing frame on some systems; keep exactly ours.
    ::SetWindowLongPtrW(window, GWL_STYLE, kListWindowStyle);
    ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CandidateListWindow::Destroy() noexcept {
    if (window_) ::DestroyWindow(window_);
}

LRESULT CandidateListWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The list can be open while a tick waits for a host that hangs; once the program ends
    // inside that wait, no choice made in it may run.
    if (IsEndingInsideHostCall() && RunsAHandler(message)) return 0;
    switch (message) {
        case WM_CREATE: {
            FailIfAsked("list-window");
            font_.reset(::CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
            if (!font_) throw Error(u"The list's font cannot be created");
            RECT client{};
            ::GetClientRect(window_, &client);
            list_ =
                ::CreateWindowExW(0, L"LISTBOX", L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                      LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                  0, 0, client.right, client.bottom, window_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance_, nullptr);
            if (!list_) throw LastError(u"CreateWindowExW");
            ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
            if (theme_) DarkTheme::DarkenTitleBar(window_);
            ::SetWindowSubclass(list_, ListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
            return 0;
        }
        case WM_SIZE:
            if (list_) ::MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_MEASUREITEM: {
            auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            item.itemHeight = kRowHeight;
            return TRUE;
        }
        case WM_DRAWITEM:
            DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORLISTBOX:
            if (theme_) return reinterpret_cast<LRESULT>(theme_->ListBrush());
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_SELCHANGE) form_.ListBox1Click();
            if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_DBLCLK) form_.ListBox1DblClick();
            return 0;
        case WM_ACTIVATEAPP: {
            const LRESULT result = ::DefWindowProcW(window_, message, wParam, lParam);
            form_.FormActivateApp(::IsWindowVisible(window_) != FALSE);
            return result;
        }
        case WM_CLOSE:
            form_.FormClose();
            return 0;
        case WM_SETFOCUS:
            // The window itself takes the focus whenever it is activated (also when the activation
            // arrives late, after the modal show focused the list): keys belong to the list.
            if (list_) ::SetFocus(list_);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK CandidateListWindow::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR, DWORD_PTR self) noexcept {
    try {
        return reinterpret_cast<CandidateListWindow*>(self)->HandleListMessage(message, wParam, lParam);
    } catch (...) {
        RunGuarded(::GetParent(list), [] { throw; });
        return 0;
    }
}

LRESULT CandidateListWindow::HandleListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsEndingInsideHostCall() && RunsAHandler(message)) return 0;
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | ::DefSubclassProc(list_, message, wParam, lParam);
        case WM_KEYDOWN:
            form_.ListBox1KeyDown(static_cast<std::uint16_t>(wParam));
            break;  // the list still moves its selection for the arrow and page keys
        case WM_CHAR:
            // The list's own search looks for one letter only; the form's builds a search text.
            form_.ListBox1KeyPress(static_cast<char16_t>(wParam), ::GetTickCount64());
            return 0;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(list_, ListProc, kListSubclassId);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(list_, message, wParam, lParam);
}

void CandidateListWindow::DrawRow(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1)) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    COLORREF back = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    COLORREF fore = ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    if (theme_) {
        back = selected ? theme_->palette().listSelectedBack : theme_->palette().listBack;
        fore = selected ? theme_->palette().listSelectedText : theme_->palette().text;
    }
    const HDC dc = item.hDC;
    const COLORREF oldBack = ::SetBkColor(dc, back);
    const COLORREF oldFore = ::SetTextColor(dc, fore);
    RECT text = item.rcItem;
    text.left += 2;
    const std::vector<Text>& rows = form_.Rows();
    const std::wstring row = item.itemID < rows.size() ? ToWide(rows[item.itemID]) : std::wstring();
    ::ExtTextOutW(dc, text.left, text.top + 1, ETO_OPAQUE | ETO_CLIPPED, &item.rcItem, row.c_str(),
                  static_cast<UINT>(row.size()), nullptr);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &item.rcItem);
    ::SetTextColor(dc, oldFore);
    ::SetBkColor(dc, oldBack);
}

void CandidateListWindow::FillList() {
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    for (const Text& row : form_.Rows()) {
        const std::wstring wide = ToWide(row);
        const LRESULT result = ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        if (result == LB_ERR || result == LB_ERRSPACE) {
            ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
            throw Error(u"The list cannot take another row");
        }
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

void CandidateListWindow::SelectRow(std::optional<std::size_t> row) {
    // LB_SETCURSEL raises no LBN_SELCHANGE: a selection by the program is no click.
    ::SendMessageW(list_, LB_SETCURSEL, row ? static_cast<WPARAM>(*row) : static_cast<WPARAM>(-1), 0);
}

// ---- CandidateListView ----------------------------------------------------------------------

WindowHandle CandidateListWindow::Handle() { return FromHwnd(window_); }

void CandidateListWindow::Clear() {
    ::SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    form_.SetRows({});
}

void CandidateListWindow::SetRows(const std::vector<Text>& rows) {
    form_.SetRows(rows);
    FillList();
}

void CandidateListWindow::Select(std::optional<std::size_t> row) { SelectRow(row); }

std::optional<std::size_t> CandidateListWindow::SelectedRow() {
    const LRESULT selected = ::SendMessageW(list_, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return std::nullopt;
    return static_cast<std::size_t>(selected);
}

Text CandidateListWindow::RowText(std::size_t row) {
    const std::vector<Text>& rows = form_.Rows();
    if (row >= rows.size()) throw Error(u"No such row in the list");
    return rows[row];
}

int CandidateListWindow::ShowModal() {
    if (!window_) throw Error(u"The list window does not exist");
    form_.BeginModal();
    if (!shownBefore_) {
        // Centred the first time; later it comes back where and as large as it was hidden.
        CentreOnScreen(window_);
        shownBefore_ = true;
    }
    const bool ownerWasEnabled = modalOwner_ && ::IsWindowEnabled(modalOwner_);
    if (ownerWasEnabled) ::EnableWindow(modalOwner_, FALSE);
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    ::SetFocus(list_);

    MSG message{};
    while (form_.ModalResult() == kModalNone) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: the list is cancelled, and the quit is left for the main loop.
            form_.ApplicationTerminating();
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) {
            form_.FormClose();  // no more messages can come: close the list as its own close would
            break;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    // Re-enable before hiding, so that the activation goes back to the program's window and not
    // to some other application's.
    if (ownerWasEnabled) ::EnableWindow(modalOwner_, TRUE);
    ::ShowWindow(window_, SW_HIDE);
    return form_.ModalResult();
}

}  // namespace zo
