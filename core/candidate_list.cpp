#include "core/candidate_list.h"

#include <algorithm>

namespace zo {

CandidateList BuildCandidateList(const std::vector<Text>& namesInHostOrder, TextView activeName,
                                 const TextCompare& compareNoCase) {
    CandidateList list;
    list.rows = namesInHostOrder;
    // Stable, so names equal without regard to case keep the host's order among themselves.
    std::stable_sort(list.rows.begin(), list.rows.end(),
                     [&](const Text& a, const Text& b) { return compareNoCase(a, b) < 0; });
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        if (compareNoCase(list.rows[i], activeName) == 0) {
            list.preselected = i;
            break;
        }
    }
    return list;
}

std::optional<std::int32_t> FindChosenDocument(std::int32_t count, const DrawingNameAt& nameAt,
                                               TextView chosen) {
    for (std::int32_t index = 0; index < count; ++index) {
        if (nameAt(index) == chosen) return index;
    }
    return std::nullopt;
}

}  // namespace zo
