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
    shape.lpfnWndProc = OwnedWindowProc<Shape1>;
    shape.hInstance = instance;
    shape.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    shape.lpszClassName = kShape1Class;
    if (!::RegisterClassExW(&shape)) throw LastError(u"RegisterClassExW");
}

void Shape1::Create(HWND parent, HINSTANCE instance, const RECT& place) {
    const HWND window = ::CreateWindowExW(0, kShape1Class, L"", WS_CHILD | WS_VISIBLE, place.left, place.top,
                                          place.right - place.left, place.bottom - place.top, parent, nullptr,
                                          instance, this);
    creationFailure_.RethrowIfAny();
    if (!window) throw LastError(u"CreateWindowExW");
}

void Shape1::SetColour(std::uint32_t colour) noexcept {
    if (colour == colour_) return;
    colour_ = colour;
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);  // a null window would repaint the desktop
}

LRESULT Shape1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint fills every pixel; erasing first would only flicker
        default:
            return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

void Shape1::Paint() const noexcept {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window_, &paint);
    RECT rect{};
    ::GetClientRect(window_, &rect);
    const UniqueBrush fill(::CreateSolidBrush(static_cast<COLORREF>(colour_)));
    const HGDIOBJ oldBrush = ::SelectObject(dc, fill.get());
    const HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::EndPaint(window_, &paint);
}

}  // namespace zo
