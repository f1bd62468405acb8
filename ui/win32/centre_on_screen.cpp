#include "ui/win32/centre_on_screen.h"

#include "core/placement.h"

namespace zo {

void CentreOnScreen(HWND window) noexcept {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    ::SetWindowPos(window, nullptr, CentredEdge(::GetSystemMetrics(SM_CXSCREEN), width),
                   CentredEdge(::GetSystemMetrics(SM_CYSCREEN), height), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace zo
