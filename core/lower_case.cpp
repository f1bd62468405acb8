#include "core/lower_case.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace zo {
namespace {

struct LowerRun {
    char32_t first;
    char32_t last;
    std::uint8_t step;  // every step-th code point from first to last
    std::int32_t delta;
};

constexpr LowerRun kLowerRuns[] = {
#include "core/lower_case_table.inc"
};

constexpr bool IsHighSurrogate(char16_t unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendCodePoint(Text& text, char32_t codePoint) {
    if (codePoint < 0x10000) {
        text += static_cast<char16_t>(codePoint);
        return;
    }
    const char32_t offset = codePoint - 0x10000;
    text += static_cast<char16_t>(0xD800 + (offset >> 10));
    text += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
}

}  // namespace

char32_t LowerCodePoint(char32_t codePoint) noexcept {
    // The last run that starts at or before the code point is the only one that can hold it.
    const auto after = std::upper_bound(std::begin(kLowerRuns), std::end(kLowerRuns), codePoint,
                                        [](char32_t cp, const LowerRun& run) { return cp < run.first; });
    if (after == std::begin(kLowerRuns)) return codePoint;
    const LowerRun& run = *std::prev(after);
    if (codePoint > run.last || (codePoint - run.first) % run.step != 0) return codePoint;
    return static_cast<char32_t>(static_cast<std::int64_t>(codePoint) + run.delta);
}

Text LowerText(TextView text) {
    Text lowered;
    lowered.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t codePoint = 0x10000 + ((static_cast<char32_t>(text[i]) - 0xD800) << 10) +
                                       (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            AppendCodePoint(lowered, LowerCodePoint(codePoint));
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            lowered += text[i];
        } else {
            AppendCodePoint(lowered, LowerCodePoint(text[i]));
        }
    }
    return lowered;
}

}  // namespace zo
