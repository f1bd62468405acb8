#include <gtest/gtest.h>

#include <cstdint>

#include "core/candidate_list_keys.h"
#include "core/candidate_list_rule.h"

namespace zo {
namespace {

TEST(CandidateListRule, ModalResultPerEvent) {
    const struct {
        ListEvent event;
        int result;
    } cases[] = {
        {ListEvent::SelectionChanged, kModalAccept},
        {ListEvent::DoubleClick, kModalAccept},
        {ListEvent::KeyEnter, kModalAccept},
        {ListEvent::KeyEscape, kModalCancel},
        {ListEvent::ActivationChanged, kModalCancel},
        {ListEvent::Close, kModalCancel},
        {ListEvent::Terminating, kModalCancel},
        {ListEvent::OtherKey, kModalNone},
        {ListEvent::Wheel, kModalNone},
        {ListEvent::Scroll, kModalNone},
        {ListEvent::Resize, kModalNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.event));
        EXPECT_EQ(CandidateListRule(c.event), c.result);
    }
}

TEST(KeyDownEvent, EnterAndEscapeAreTheirOwnEventsEveryOtherKeyIsOther) {
    const struct {
        std::uint16_t key;
        ListEvent event;
    } cases[] = {
        {13, ListEvent::KeyEnter}, {27, ListEvent::KeyEscape}, {40, ListEvent::OtherKey},  // Down
        {8, ListEvent::OtherKey},  {65, ListEvent::OtherKey},  {0x10D, ListEvent::OtherKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(KeyDownEvent(c.key), c.event);
    }
}

}  // namespace
}  // namespace zo
