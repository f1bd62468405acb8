#include "ui/win32/shape1.h"

#include "platform/system_error.h"
#include "platform/unique_handle.h"

namespace zo {
namespace {

constexpr const wchar_t* kShape1Class = L"ZO24_RAZ.Shape1";

}  // namespace

void Shape1::Register(HINSTANCE instance) {
    WNDCLASSEXW shape{};
    shape.cbSize = sizeof shape;
    shape.lpfnWndProc = Proc;
    shape.hInstance = instance;
    shape.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    shape.lpszClassName = kShape1Class;
    if (!::RegisterClassExW(&shape)) throw LastError(u"RegisterClassExW");
}

void Shape1::Create(HWND parent, HINSTANCE instance, const RECT& place) {
    window_ = ::CreateWindowExW(0, kShape1Class, L"", WS_CHILD | WS_VISIBLE, place.left, place.top,
                                place.right - place.left, place.bottom - place.top, parent, nullptr, instance,
                                this);
    if (!window_) throw LastError(u"CreateWindowExW");
}

void Shape1::SetColour(std::uint32_t colour) noexcept {
    if (colour == colour_) return;
    colour_ = colour;
    ::InvalidateRect(window_, nullptr, FALSE);
}

LRESULT CALLBACK Shape1::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        ::SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    const auto* owner = reinterpret_cast<const Shape1*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && owner) {
        owner->Paint(window);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void Shape1::Paint(HWND window) const noexcept {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window, &paint);
    RECT rect{};
    ::GetClientRect(window, &rect);
    const UniqueBrush fill(::CreateSolidBrush(static_cast<COLORREF>(colour_)));
    const HGDIOBJ oldBrush = ::SelectObject(dc, fill.get());
    const HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::EndPaint(window, &paint);
}

}  // namespace zo
