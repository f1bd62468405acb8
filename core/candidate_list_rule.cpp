#include "core/candidate_list_rule.h"

namespace zo {

int CandidateListRule(ListEvent event) noexcept {
    switch (event) {
        case ListEvent::SelectionChanged:
        case ListEvent::DoubleClick:
        case ListEvent::KeyEnter:
            return kModalAccept;
        case ListEvent::KeyEscape:
        case ListEvent::ActivationChanged:
        case ListEvent::Close:
        case ListEvent::Terminating:
            return kModalCancel;
        case ListEvent::OtherKey:
        case ListEvent::Wheel:
        case ListEvent::Scroll:
        case ListEvent::Resize:
            return kModalNone;
    }
    return kModalNone;
}

}  // namespace zo
