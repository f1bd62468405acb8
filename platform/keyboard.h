#pragma once
#include "core/keyboard.h"

namespace zo {

class Win32Keyboard final : public Keyboard {
  public:
    [[nodiscard]] KeyStates ReadKeyStates() override;
    void SendKeyEvent(int vk, bool release) override;
};

}  // namespace zo
