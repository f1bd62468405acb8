#pragma once
// The one place where an error that escaped a handler is shown to the user.
#include <windows.h>

#include <exception>

#include "core/error.h"
#include "core/text.h"

namespace zo {

// The error box: the error's text (with its closing full stop), the application title, a stop
// icon and OK.
void ShowErrorBox(HWND owner, TextView errorText) noexcept;

// The text an error box shows for a failure of any type: the program's own error's text, a
// standard exception's description, or a fixed text for anything else.
[[nodiscard]] Text FailureText(const std::exception_ptr& failure) noexcept;

// Runs a handler from a window procedure. Nothing may unwind through the system's frames, so
// every escaped error ends here and is reported; the program goes on.
template <typename Handler>
void RunGuarded(HWND owner, Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        ShowErrorBox(owner, FailureText(std::current_exception()));
    }
}

}  // namespace zo
