#include "core/host_match.h"

namespace zo {

bool IsHostTitle(TextView title, TextView versionText) noexcept {
    if (!BeginsWith(title, kHostProductName) && !BeginsWith(title, kHostProductNameAlt)) return false;
    // Only the first occurrence counts: a version that leads the title is taken for the product
    // name's own digits, not for the host's version, even when it appears again further on.
    return PositionOf(title, versionText) > 1;
}

bool IsHostMainWindow(TextView title, TextView className, TextView versionText) noexcept {
    return IsHostTitle(title, versionText) && BeginsWith(className, kHostWindowClassPrefix);
}

}  // namespace zo
