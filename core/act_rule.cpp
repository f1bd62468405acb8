#include "core/act_rule.h"

namespace zo {

ActAction DecideAct(bool hostWindowFound, bool registeredFileExists) noexcept {
    if (hostWindowFound) return ActAction::BringHostToFront;
    if (registeredFileExists) return ActAction::LaunchRegistered;
    return ActAction::ShowNotRegistered;
}

}  // namespace zo
