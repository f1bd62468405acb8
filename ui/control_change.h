#pragma once
// A change that the program makes to a control's value runs the control's change or click
// handler exactly as a user's change would, and only when the value really changes. The control
// is read before and after the write, so "really" is what the control itself then holds.
#include <utility>

namespace zo {

template <class Read, class Write, class Handler>
void ChangeControlValue(Read&& read, Write&& write, Handler&& handler) {
    const auto before = read();
    std::forward<Write>(write)();
    if (read() != before) std::forward<Handler>(handler)();
}

}  // namespace zo
