// The dark theme's drawing of check boxes and owner-drawn push buttons.
#include <windows.h>
// The subclassing calls build on the declarations above.
#include <commctrl.h>

#include "ui/win32/dark_paint.h"
#include "ui/win32/dark_theme.h"

namespace zo {
namespace {

constexpr int kCheckMarkBox = 13;
constexpr int kCheckTextGap = 4;
constexpr UINT_PTR kCheckBoxSubclassId = 0x5A4F;

}  // namespace

void DarkTheme::DarkenCheckBox(HWND checkBox) const noexcept {
    ::SetWindowSubclass(checkBox, CheckBoxProc, kCheckBoxSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK DarkTheme::CheckBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR theme) noexcept {
    const auto* self = reinterpret_cast<const DarkTheme*>(theme);
    switch (message) {
        case WM_PAINT:
            self->PaintCheckBox(box);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(box, CheckBoxProc, kCheckBoxSubclassId);
            break;
        case BM_SETCHECK:
        case BM_SETSTATE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case WM_SETTEXT:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_UPDATEUISTATE: {
            // The control paints its classic face straight away on these, outside WM_PAINT:
            // paint ours over it at once.
            const LRESULT result = ::DefSubclassProc(box, message, wParam, lParam);
            ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            return result;
        }
        default:
            break;
    }
    return ::DefSubclassProc(box, message, wParam, lParam);
}

void DarkTheme::PaintCheckBox(HWND box) const noexcept {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(box, &paint);
    RECT client{};
    ::GetClientRect(box, &client);
    FillSolid(dc, client, palette_.window);

    const auto state = ::SendMessageW(box, BM_GETSTATE, 0, 0);
    const bool checked = (state & BST_CHECKED) != 0;
    const bool pushed = (state & BST_PUSHED) != 0;
    const bool enabled = ::IsWindowEnabled(box) != FALSE;
    const int top = (client.bottom - kCheckMarkBox) / 2;
    const RECT mark{client.left, top, client.left + kCheckMarkBox, top + kCheckMarkBox};
    FillSolid(dc, mark, pushed ? palette_.buttonPressed : palette_.editBack);
    FrameSolid(dc, mark, ::GetFocus() == box ? palette_.focus : palette_.buttonBorder);
    if (checked) {
        const UniquePen pen(::CreatePen(PS_SOLID, 2, enabled ? palette_.text : palette_.disabledText));
        const HGDIOBJ oldPen = ::SelectObject(dc, pen.get());
        const POINT tick[3] = {
            {mark.left + 3, mark.top + 6}, {mark.left + 5, mark.top + 9}, {mark.left + 10, mark.top + 3}};
        ::Polyline(dc, tick, 3);
        ::SelectObject(dc, oldPen);
    }

    wchar_t caption[64] = {};
    const int length = ::GetWindowTextW(box, caption, 64);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(box, WM_GETFONT, 0, 0));
    const HGDIOBJ oldFont = ::SelectObject(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, enabled ? palette_.text : palette_.disabledText);
    RECT text{mark.right + kCheckTextGap, client.top, client.right, client.bottom};
    ::DrawTextW(dc, caption, length, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (::GetFocus() == box) {
        RECT focus = text;
        ::DrawTextW(dc, caption, length, &focus, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_CALCRECT);
        focus.top = text.top + 1;
        focus.bottom = text.bottom - 1;
        ::InflateRect(&focus, 1, 0);
        ::SetTextColor(dc, palette_.text);
        ::DrawFocusRect(dc, &focus);
    }
    ::SelectObject(dc, oldFont);
    ::EndPaint(box, &paint);
}

void DarkTheme::DrawPushButton(const DRAWITEMSTRUCT& item) const noexcept {
    const HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    FillSolid(dc, rect, pressed ? palette_.buttonPressed : palette_.buttonFace);
    FrameSolid(dc, rect, focused ? palette_.focus : palette_.buttonBorder);

    wchar_t caption[64] = {};
    const int length = ::GetWindowTextW(item.hwndItem, caption, 64);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, disabled ? palette_.disabledText : palette_.text);
    if (pressed) ::OffsetRect(&rect, 1, 1);
    ::DrawTextW(dc, caption, length, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace zo
