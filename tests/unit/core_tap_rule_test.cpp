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

// The assist stores the recorded flags before it asks the host and the final ones after; a host
// call that fails leaves the recorded ones, so they must be what the keys alone made of the flags.
TEST(ModifierTapRule, RecordedFlagsAndTheTapThatFires) {
    constexpr TapFlags none{};
    constexpr TapFlags shiftSeen{.shiftSeen = true};
    constexpr TapFlags ctrlSeen{.ctrlSeen = true};
    constexpr TapFlags bothSeen{.shiftSeen = true, .ctrlSeen = true};
    constexpr TapFlags otherSeen{.otherKeySeen = true};
    const struct {
        const char* why;
        TapFlags flags;
        KeySample sample;
        TapFlags recorded;
        Tap fired;
        TapFlags after;
    } cases[] = {
        {"another key clears the modifiers seen, a modifier down now is kept",
         bothSeen,
         {.shiftDown = true, .otherKeyDown = true},
         {.shiftSeen = true, .otherKeySeen = true},
         Tap::None,
         {.shiftSeen = true, .otherKeySeen = true}},
        {"another key alone", bothSeen, {.otherKeyDown = true}, otherSeen, Tap::None, otherSeen},
        {"both modifiers down", none, {.shiftDown = true, .ctrlDown = true}, bothSeen, Tap::None, bothSeen},
        {"Shift still held", shiftSeen, {.shiftDown = true}, shiftSeen, Tap::None, shiftSeen},
        {"Shift released: recorded keeps it, the tap clears it", shiftSeen, {}, shiftSeen, Tap::Shift, none},
        {"Ctrl released: recorded keeps it, the tap clears it", ctrlSeen, {}, ctrlSeen, Tap::Ctrl, none},
        {"Ctrl still held", ctrlSeen, {.ctrlDown = true}, ctrlSeen, Tap::None, ctrlSeen},
        {"both seen, released", bothSeen, {}, bothSeen, Tap::None, none},
        {"Shift with another key seen, released",
         {.shiftSeen = true, .otherKeySeen = true},
         {},
         {.shiftSeen = true, .otherKeySeen = true},
         Tap::None,
         none},
        {"Ctrl with another key seen, released",
         {.ctrlSeen = true, .otherKeySeen = true},
         {},
         {.ctrlSeen = true, .otherKeySeen = true},
         Tap::None,
         none},
        {"Shift seen while Ctrl is held", shiftSeen, {.ctrlDown = true}, bothSeen, Tap::None, bothSeen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const TapOutcome out = ModifierTapRule(c.flags, c.sample);
        EXPECT_EQ(out.recorded, c.recorded);
        EXPECT_EQ(out.fired, c.fired);
        EXPECT_EQ(out.flags, c.after);
    }
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
