#pragma once
// The window procedure of every window class the program registers. The C++ object that owns a
// window is handed over at creation and kept in GWLP_USERDATA; the object handles the messages,
// and no exception crosses back into the system's frames.
//
// An owner provides, to this template as a friend:
//   void Attach(HWND window) noexcept;   // on WM_NCCREATE
//   void Detach() noexcept;              // after WM_NCDESTROY
//   LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
//   CreationFailure creationFailure_;
#include <windows.h>

#include <exception>
#include <utility>

#include "ui/win32/error_box.h"

namespace zo {

// A failure while a window builds itself in WM_CREATE, carried out of CreateWindowExW: the
// window is not made, and the code that asked for it reports the failure once, its own way.
class CreationFailure {
  public:
    void Keep(std::exception_ptr failure) noexcept { failure_ = std::move(failure); }
    void RethrowIfAny() {
        if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    }

  private:
    std::exception_ptr failure_;
};

template <class Owner>
LRESULT CALLBACK OwnedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        owner->Attach(window);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    auto* owner = reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!owner) return ::DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = owner->HandleMessage(message, wParam, lParam);
    } catch (...) {
        if (message == WM_CREATE) {
            // Returning -1 makes CreateWindowExW destroy the half-built window and fail.
            owner->creationFailure_.Keep(std::current_exception());
            result = -1;
        } else {
            // Failures of the window's own plumbing (not of a handler) are reported like any other.
            RunGuarded(window, [] { throw; });
        }
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        owner->Detach();
    }
    return result;
}

}  // namespace zo
