#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/tap_rule.h"

namespace zo {
namespace {

// One gated tick as the user's keyboard stands: the modifiers and at most one other key code
// (0 for none). The other-key bit is derived as the scan would see it, so keys that are not
// scanned (Enter, Alt, codes above 192, the sided modifier codes) never count.
struct Tick {
    bool shift = false;
    bool ctrl = false;
    int key = 0;
};

constexpr Tick S{true, false, 0};
constexpr Tick C{false, true, 0};
constexpr Tick SC{true, true, 0};
constexpr Tick Idle{};
constexpr Tick Shift(int key) { return {true, false, key}; }
constexpr Tick Ctrl(int key) { return {false, true, key}; }
constexpr Tick Key(int key) { return {false, false, key}; }

KeySample SampleOf(Tick t) { return {t.shift, t.ctrl, t.key != 0 && IsScannedKey(t.key)}; }

char TapChar(Tap tap) {
    switch (tap) {
        case Tap::Shift:
            return 'S';
        case Tap::Ctrl:
            return 'C';
        case Tap::None:
            break;
    }
    return '-';
}

struct Episode {
    const char* why;
    std::vector<Tick> ticks;
    std::string fired;  // one character per tick: '-', 'S' or 'C'
};

const Episode kEpisodes[] = {
    {"lone Shift held, fires once on release", {S, S, S, Idle, Idle}, "---S-"},
    {"lone Ctrl held, fires once on release", {C, C, Idle, Idle}, "--C-"},
    {"Shift then letter, letter released first", {S, Shift('A'), S, Idle}, "----"},
    {"Shift then letter, Shift released first", {S, Shift('A'), Key('A'), Idle}, "----"},
    {"digit first, then Shift", {Key('1'), Shift('1'), S, Idle}, "----"},
    {"Shift with Space", {Shift(32), Idle}, "--"},
    {"Shift with a function key", {S, Shift(116), S, Idle}, "----"},
    {"Shift with the last scanned code", {Shift(192), Idle}, "--"},
    {"Ctrl with a letter", {C, Ctrl('Z'), Idle}, "---"},
    {"Shift then Ctrl, Shift released first", {S, SC, C, Idle}, "----"},
    {"Ctrl then Shift, Ctrl released first", {C, SC, S, Idle}, "----"},
    {"Shift and Ctrl together", {SC, Idle}, "--"},
    {"Shift with Enter", {Shift(13), S, Idle}, "--S"},
    {"Shift with Tab", {Shift(9), Idle}, "-S"},
    {"Shift with Esc", {Shift(27), Idle}, "-S"},
    {"Shift with Backspace", {Shift(8), Idle}, "-S"},
    {"Shift with Alt", {Shift(18), Idle}, "-S"},
    {"Shift with a key above 192", {Shift(219), Shift(229), Idle}, "--S"},
    {"Shift with its sided code", {Shift(160), Shift(161), Idle}, "--S"},
    {"Ctrl with Enter", {Ctrl(13), Idle}, "-C"},
    {"Ctrl with its sided code", {Ctrl(163), Idle}, "-C"},
    {"other key alone", {Key('A'), Idle}, "--"},
    {"spoiled episode leaves nothing behind", {Shift('A'), Idle, S, Idle}, "---S"},
    {"two taps in a row", {S, Idle, C, Idle}, "-S-C"},
};

TEST(ModifierTapRule, KeyEpisodes) {
    for (const auto& e : kEpisodes) {
        SCOPED_TRACE(e.why);
        ASSERT_EQ(e.ticks.size(), e.fired.size());
        TapFlags flags;
        std::string fired;
        for (const Tick& t : e.ticks) {
            const KeySample sample = SampleOf(t);
            const TapOutcome out = ModifierTapRule(flags, sample);
            fired += TapChar(out.fired);
            flags = out.flags;
            if (!sample.shiftDown && !sample.ctrlDown && !sample.otherKeyDown) {
                EXPECT_EQ(flags, TapFlags{}) << "flags must clear on a tick with nothing down";
            }
        }
        EXPECT_EQ(fired, e.fired);
    }
}

// The assist calls the steps one by one, sending a key between them; the steps must agree with
// the order the rule depends on.
TEST(ModifierTapRule, Steps) {
    // Another key clears the modifiers already seen, but a modifier down on this very tick is
    // recorded after that clearing.
    EXPECT_EQ(RecordKeys({true, true, false}, {true, false, true}), (TapFlags{true, false, true}));
    EXPECT_EQ(RecordKeys({true, true, false}, {false, false, true}), (TapFlags{false, false, true}));
    EXPECT_EQ(RecordKeys({false, false, false}, {true, true, false}), (TapFlags{true, true, false}));
    // Nothing down records nothing, and keeps what was seen for the tap tests.
    EXPECT_EQ(RecordKeys({true, false, false}, {}), (TapFlags{true, false, false}));

    EXPECT_TRUE(ShiftTapFires({true, false, false}, {}));
    EXPECT_FALSE(ShiftTapFires({true, false, false}, {true, false, false}));  // still held
    EXPECT_FALSE(ShiftTapFires({true, true, false}, {}));
    EXPECT_FALSE(ShiftTapFires({true, false, true}, {}));
    EXPECT_TRUE(CtrlTapFires({false, true, false}, {}));
    EXPECT_FALSE(CtrlTapFires({false, true, false}, {false, true, false}));
    EXPECT_FALSE(CtrlTapFires({true, true, false}, {}));
    EXPECT_FALSE(CtrlTapFires({false, true, true}, {}));

    EXPECT_EQ(IdleReset({true, true, true}, {}), TapFlags{});
    EXPECT_EQ(IdleReset({true, true, true}, {false, false, true}), (TapFlags{true, true, true}));
}

TEST(ModifierTapRule, TapsFireOnlyOnTicksWithNothingDown) {
    for (int f = 0; f < 8; ++f) {
        for (int s = 0; s < 8; ++s) {
            const TapFlags flags{(f & 1) != 0, (f & 2) != 0, (f & 4) != 0};
            const KeySample sample{(s & 1) != 0, (s & 2) != 0, (s & 4) != 0};
            const TapOutcome out = ModifierTapRule(flags, sample);
            SCOPED_TRACE(testing::Message() << "flags " << f << " sample " << s);
            if (out.fired != Tap::None) {
                EXPECT_EQ(s, 0);
                EXPECT_EQ(out.flags, TapFlags{});
            }
        }
    }
}

TEST(ScannedKeys, RangeWithoutTheSidedModifiers) {
    int count = 0;
    for (int vk = 0; vk < 256; ++vk) count += IsScannedKey(vk) ? 1 : 0;
    EXPECT_EQ(count, kScannedKeyCount);

    const struct {
        int vk;
        bool scanned;
    } cases[] = {{8, false},  {13, false}, {16, false},  {17, false},  {18, false},
                 {27, false}, {31, false}, {32, true},   {'A', true},  {'0', true},
                 {112, true}, {159, true}, {160, false}, {163, false}, {166, false},
                 {167, true}, {192, true}, {193, false}, {219, false}, {229, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vk);
        EXPECT_EQ(IsScannedKey(c.vk), c.scanned);
    }
}

}  // namespace
}  // namespace zo
