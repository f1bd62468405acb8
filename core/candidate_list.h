#pragma once
// The candidate list of the document picker: its rows and preselection, and the drawing a chosen
// row names.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/text.h"
#include "core/text_compare.h"

namespace zo {

struct CandidateList {
    std::vector<Text> rows;
    std::optional<std::size_t> preselected;
};

// All names, duplicates included, sorted by `compareNoCase`; the preselected row is the first
// row equal to `activeName` under `compareNoCase`.
[[nodiscard]] CandidateList BuildCandidateList(const std::vector<Text>& namesInHostOrder, TextView activeName,
                                               const TextCompare& compareNoCase);

// The name of the drawing at an index of the host's collection, read afresh for each call.
using DrawingNameAt = std::function<Text(std::int32_t index)>;

// Index of the first drawing whose name equals `chosen` exactly, visiting the indexes from 0 to
// count - 1 in rising order, one name read per index visited, and stopping at the first match.
// The caller's reader may keep the drawing it read last: when a match is found, that is the one.
[[nodiscard]] std::optional<std::int32_t> FindChosenDocument(std::int32_t count, const DrawingNameAt& nameAt,
                                                             TextView chosen);

}  // namespace zo
