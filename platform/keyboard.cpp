#include "platform/keyboard.h"

#include <windows.h>

namespace zo {

bool Win32Keyboard::IsKeyDown(int vk) { return (static_cast<unsigned short>(::GetKeyState(vk)) & 0x8000u) != 0; }

void Win32Keyboard::SendKeyEvent(int vk, bool release) {
    ::keybd_event(static_cast<BYTE>(vk), 0, release ? KEYEVENTF_KEYUP : 0, 0);
}

}  // namespace zo
