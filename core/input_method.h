#pragma once
// The input method of a window as the IME guard reaches it; platform/input_method.h binds it to
// the input method manager.
#include <cstdint>

#include "core/window_handle.h"

namespace zo {

class InputMethod {
  public:
    virtual ~InputMethod() = default;
    // ImmGetDefaultIMEWnd, held as a 32-bit signed value; 0 when there is none.
    [[nodiscard]] virtual std::int32_t DefaultImeWindow(WindowHandle window) = 0;
    // SendMessageW(imeWindow sign-extended, WM_IME_CONTROL, command, 0).
    virtual std::intptr_t SendImeControl(std::int32_t imeWindow, int command) = 0;
};

inline constexpr int kImcGetOpenStatus = 5;
inline constexpr int kImcSetOpenStatus = 6;

}  // namespace zo
