#pragma once
#include "core/input_method.h"

namespace zo {

class Win32InputMethod final : public InputMethod {
  public:
    [[nodiscard]] std::int32_t DefaultImeWindow(WindowHandle window) override;
    std::intptr_t SendImeControl(std::int32_t imeWindow, int command) override;
};

}  // namespace zo
