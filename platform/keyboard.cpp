#include "platform/keyboard.h"

#include <windows.h>

namespace zo {

KeyStates Win32Keyboard::ReadKeyStates() {
    KeyStates keys;
    // GetKeyState brings the whole key state of this thread up to date with the keyboard, also
    // while another program's window has the keys; GetKeyboardState alone would return the state
    // as of the last key message this thread itself retrieved. Together: one snapshot that answers
    // like GetKeyState for every key, for two calls instead of one per key.
    const SHORT shift = ::GetKeyState(VK_SHIFT);
    BYTE state[256]{};
    if (!::GetKeyboardState(state)) {
        for (std::size_t vk = 0; vk < keys.size(); ++vk) {
            keys[vk] = (static_cast<unsigned short>(::GetKeyState(static_cast<int>(vk))) & 0x8000u) != 0;
        }
        return keys;
    }
    // Bit 7 of each entry is what bit 15 of GetKeyState reports for that key.
    for (std::size_t vk = 0; vk < keys.size(); ++vk) keys[vk] = (state[vk] & 0x80u) != 0;
    keys[VK_SHIFT] = (static_cast<unsigned short>(shift) & 0x8000u) != 0;
    return keys;
}

void Win32Keyboard::SendKeyEvent(int vk, bool release) {
    ::keybd_event(static_cast<BYTE>(vk), 0, release ? KEYEVENTF_KEYUP : 0, 0);
}

}  // namespace zo
