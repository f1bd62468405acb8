#include "core/candidate_list_keys.h"

namespace zo {

ListEvent KeyDownEvent(std::uint16_t virtualKey) noexcept {
    if (virtualKey == kVirtualKeyReturn) return ListEvent::KeyEnter;
    if (virtualKey == kVirtualKeyEscape) return ListEvent::KeyEscape;
    return ListEvent::OtherKey;
}

}  // namespace zo
