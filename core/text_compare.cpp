#include "core/text_compare.h"

#include <algorithm>

namespace zo {

int CompareIgnoringCase(TextView a, TextView b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = LowerUnit(a[i]);
        const char16_t y = LowerUnit(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace zo
