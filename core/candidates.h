#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/text.h"

namespace zo {

// Locale-aware comparison without regard to letter case: <0, 0, >0. The Win32 side passes the
// user's locale collation; tests pass a plain one.
using TextCompare = std::function<int(TextView, TextView)>;

// A simple case-insensitive comparison (ASCII and Latin-1 letters folded), for tests and fallbacks.
[[nodiscard]] int CompareIgnoringCase(TextView a, TextView b);

struct CandidateList {
    std::vector<Text> rows;
    std::optional<std::size_t> preselected;
};

// All names, duplicates included, sorted by `compareNoCase`; the preselected row is the first
// row equal to `activeName` under `compareNoCase`.
[[nodiscard]] CandidateList BuildCandidateList(const std::vector<Text>& namesInHostOrder,
                                               TextView activeName, const TextCompare& compareNoCase);

// The name of the drawing at an index of the host's collection, read afresh for each call.
using DrawingNameAt = std::function<Text(std::int32_t index)>;

// Index of the first drawing whose name equals `chosen` exactly, visiting the indexes from 0 to
// count - 1 in rising order, one name read per index visited, and stopping at the first match.
// The caller's reader may keep the drawing it read last: when a match is found, that is the one.
[[nodiscard]] std::optional<std::int32_t> FindChosenDocument(std::int32_t count, const DrawingNameAt& nameAt,
                                                             TextView chosen);

inline constexpr int kModalNone = 0;
inline constexpr int kModalAccept = 1;
inline constexpr int kModalCancel = 2;

enum class ListEvent {
    SelectionChanged,
    DoubleClick,
    KeyEnter,
    KeyEscape,
    ActivationChanged,
    Close,  // the window's close operation
    Terminating,
    OtherKey,
    Wheel,
    Scroll,
    Resize,
};

// The modal result an event of the open candidate list sets; kModalNone for events that set none.
[[nodiscard]] int CandidateListRule(ListEvent event) noexcept;

inline constexpr std::uint16_t kVirtualKeyReturn = 13;
inline constexpr std::uint16_t kVirtualKeyEscape = 27;

// The event a key down in the list is, by its 16-bit virtual-key code.
[[nodiscard]] ListEvent KeyDownEvent(std::uint16_t virtualKey) noexcept;

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
