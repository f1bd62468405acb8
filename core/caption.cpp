#include "core/caption.h"

namespace zo {

namespace {

constexpr bool IsTrimmed(char16_t unit) noexcept { return unit <= u' '; }

}  // namespace

Text BuildMonitorCaption(TextView title) {
    // Cut first, so a "(" beyond the cut never reaches the removal below.
    Text head{title.substr(0, kCaptionCut)};
    if (const auto paren = head.find(u'('); paren != Text::npos) head.erase(paren, 1);

    std::size_t first = 0;
    std::size_t last = head.size();
    while (first < last && IsTrimmed(head[first])) ++first;
    while (last > first && IsTrimmed(head[last - 1])) --last;

    Text caption{kCaptionPrefix};
    caption.append(head, first, last - first);
    return caption;
}

}  // namespace zo
