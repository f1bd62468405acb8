#include <gtest/gtest.h>

#include "core/act_rule.h"

namespace zo {
namespace {

TEST(DecideAct, HostFirstThenRegisteredFileThenMessage) {
    const struct {
        bool hostFound;
        bool fileExists;
        ActAction expected;
    } cases[] = {
        {true, true, ActAction::BringHostToFront},
        {true, false, ActAction::BringHostToFront},
        {false, true, ActAction::LaunchRegistered},
        {false, false, ActAction::ShowNotRegistered},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "host found " << c.hostFound << ", file exists " << c.fileExists);
        EXPECT_EQ(DecideAct(c.hostFound, c.fileExists), c.expected);
    }
}

}  // namespace
}  // namespace zo
