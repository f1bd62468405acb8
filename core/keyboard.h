#pragma once
// The keyboard as the tap assist reads and drives it; platform/keyboard.h binds it to Win32.
#include <bitset>

namespace zo {

// Bit vk set: the key is down in the calling thread's view of the keyboard.
using KeyStates = std::bitset<256>;

class Keyboard {
  public:
    virtual ~Keyboard() = default;
    // Every key at once, as GetKeyState would answer for each (one call instead of one per key).
    [[nodiscard]] virtual KeyStates ReadKeyStates() = 0;
    // keybd_event(vk, 0, release ? KEYEVENTF_KEYUP : 0, 0).
    virtual void SendKeyEvent(int vk, bool release) = 0;
};

}  // namespace zo
