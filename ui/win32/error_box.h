#pragma once
// The one place where an error that escaped a handler is shown to the user.
#include <windows.h>

#include <exception>

#include "core/error.h"
#include "core/text.h"

namespace zo {

// The title of every box the program shows, from its own executable's file name.
[[nodiscard]] Text ApplicationTitleText();

// The error box: the error's text (with its closing full stop), the application title, a stop
// icon and OK.
void ShowErrorBox(HWND owner, TextView errorText) noexcept;

// Runs a handler from a window procedure. Nothing may unwind through the system's frames, so
// every escaped error ends here and is reported; the program goes on.
template <typename Handler>
void RunGuarded(HWND owner, Handler&& handler) noexcept {
    try {
        handler();
    } catch (const Error& error) {
        ShowErrorBox(owner, error.text());
    } catch (const std::exception& error) {
        ShowErrorBox(owner, FromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(owner, u"Unexpected error");
    }
}

}  // namespace zo
