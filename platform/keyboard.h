#pragma once
#include "ui/ports.h"

namespace zo {

class Win32Keyboard final : public Keyboard {
public:
    [[nodiscard]] bool IsKeyDown(int vk) override;
    void SendKeyEvent(int vk, bool release) override;
};

}  // namespace zo
