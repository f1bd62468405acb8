#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "core/text.h"
#include "core/text_compare.h"

namespace zo {

// The list's typed search: keys within 500 ms of each other build one search text.
class TypeSearch {
  public:
    static constexpr std::uint64_t kResetMs = 500;

    // Applies one typed character (or a Backspace when `backspace`) at `nowMs`; returns the row to
    // select (and so accept), or nullopt when no row begins with the search text.
    [[nodiscard]] std::optional<std::size_t> OnKey(char16_t ch, bool backspace, std::uint64_t nowMs,
                                                   const std::vector<Text>& rows,
                                                   const TextCompare& compareNoCase);

    // A character the list received: Backspace (8) is the Backspace key; other control characters
    // (Enter and Escape among them, which the key-down handler decides) are no typed text and
    // leave the search, its clock included, as it was.
    [[nodiscard]] std::optional<std::size_t> OnCharacter(char16_t ch, std::uint64_t nowMs,
                                                         const std::vector<Text>& rows,
                                                         const TextCompare& compareNoCase);

    [[nodiscard]] const Text& text() const noexcept { return text_; }

  private:
    Text text_;
    std::optional<std::uint64_t> lastKeyMs_;
};

}  // namespace zo
