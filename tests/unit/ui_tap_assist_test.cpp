#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "core/error.h"
#include "tests/unit/fake_world.h"
#include "ui/handlers.h"

namespace zo::fake {
namespace {

using Calls = std::vector<std::string>;

TEST(FirstOtherKeyDown, ReturnsLowestScannedKeyDown) {
    struct Case {
        const char* name;
        std::set<int> down;
        int expected;
    };
    const Case cases[] = {
        {"nothing down", {}, 0},
        {"space is the first scanned code", {32}, 32},
        {"lowest of several", {65, 40, 112}, 40},
        {"last scanned code", {192}, 192},
        {"code just after the sided block", {167}, 167},
        {"sided Shift, Ctrl, Alt and 166 are not scanned", {160, 161, 162, 163, 164, 165, 166}, 0},
        {"codes below 32 and above 192 are not scanned", {13, 16, 17, 18, 27, 31, 193, 219, 229}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWorld w;
        w.keyboard.down = c.down;
        EXPECT_EQ(FirstOtherKeyDown(w.keyboard.ReadKeyStates()), c.expected);
    }
}

// The scanned codes written out as the key list states them, not derived from the program's own
// test: 32 to 192 without the sided Shift, Ctrl and Alt codes and 166 (160 to 166).
TEST(FirstOtherKeyDown, ScansExactlyTheListedCodes) {
    const struct {
        int first;
        int last;
    } scannedRanges[] = {{32, 159}, {167, 192}};
    std::set<int> listed;
    for (const auto& range : scannedRanges) {
        for (int vk = range.first; vk <= range.last; ++vk) listed.insert(vk);
    }
    ASSERT_EQ(listed.size(), 154u);
    for (int vk = 0; vk < 256; ++vk) {
        SCOPED_TRACE(vk);
        KeyStates keys;
        keys.set(static_cast<std::size_t>(vk));
        EXPECT_EQ(FirstOtherKeyDown(keys), listed.count(vk) != 0 ? vk : 0);
    }
}

TEST(RunTapAssist, SamplesTheKeyboardOncePerTick) {
    FakeWorld w;
    w.keyboard.down = {kVkShift, 65};
    static_cast<void>(RunTapAssist(w.ports, kNoWindow));
    EXPECT_EQ(w.keyboard.keyboardReads, 1);
}

// The host's window in front with the host busy in a command.
class TapAssist : public ::testing::Test {
  protected:
    TapAssist() {
        w.automation.application = MakeHostApplication(kHostWindow, false);
        w.desktop.foreground = kHostWindow;
    }

    // Holds `key` for one gated tick, then releases it; returns the second tick's handle.
    WindowHandle Tap(int key, WindowHandle tickHandle = kHostWindow) {
        w.keyboard.down = {key};
        EXPECT_EQ(RunTapAssist(w.ports, tickHandle), tickHandle);
        w.keyboard.down.clear();
        mark = w.calls.size();
        return RunTapAssist(w.ports, tickHandle);
    }

    FakeWorld w;
    std::size_t mark = 0;
};

TEST_F(TapAssist, TapOfModifierSendsItsKeyToBusyHost) {
    struct Case {
        const char* name;
        int modifier;
        const char* press;
        const char* release;
    };
    const Case cases[] = {
        {"Shift sends F8", kVkShift, "SendKeyEvent:119,down", "SendKeyEvent:119,up"},
        {"Ctrl sends F9", kVkControl, "SendKeyEvent:120,down", "SendKeyEvent:120,up"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.calls.clear();
        // The ProgID follows the box itself, not VersionText.
        w.main.versionBox = u"2024";
        w.state.versionText = u"2020";

        EXPECT_EQ(Tap(c.modifier), kHostWindow);

        EXPECT_EQ(w.CallsSince(mark),
                  (Calls{"IsRunning:Vexo.Application.24", "Attach:Vexo.Application.24", "app.GetInteger:HWND",
                         "app.GetObject:GetAcadState", "state.GetBoolean:IsQuiescent", "GetForegroundWindow",
                         c.press, "Sleep:1", c.release}));
        EXPECT_EQ(w.state.hostProgId, u"Vexo.Application.24");
        EXPECT_EQ(w.state.tapFlags, TapFlags{});
        EXPECT_EQ(w.liveHostObjects, 0);
    }
}

TEST(TapAssistSequence, NothingSentUnlessHostBusyAndStillInFront) {
    struct Case {
        const char* name;
        std::function<void(FakeWorld&)> arrange;
        WindowHandle returned;
        Calls calls;
    };
    const Calls asked{"IsRunning:Vexo.Application.20", "Attach:Vexo.Application.20", "app.GetInteger:HWND",
                      "app.GetObject:GetAcadState", "state.GetBoolean:IsQuiescent"};
    auto then = [&](std::initializer_list<std::string> more) {
        Calls all = asked;
        all.insert(all.end(), more);
        return all;
    };
    const Case cases[] = {
        {"server not running",
         [](FakeWorld& w) { w.automation.running = false; },
         kHostWindow,
         {"IsRunning:Vexo.Application.20"}},
        {"host quiescent",
         [](FakeWorld& w) { w.automation.application = MakeHostApplication(kHostWindow, true); }, kHostWindow,
         asked},
        {"foreground changed after the host answered", [](FakeWorld& w) { w.desktop.foreground = 0x99; },
         kHostWindow, then({"GetForegroundWindow"})},
        {"host reports another window than the one in front",
         [](FakeWorld& w) { w.automation.application = MakeHostApplication(0x20, false); }, 0x20,
         then({"GetForegroundWindow"})},
        {"GetAcadState fails, swallowed",
         [](FakeWorld& w) { w.automation.application->failing.insert("GetAcadState"); }, kHostWindow,
         Calls(asked.begin(), asked.end() - 1)},
        {"IsQuiescent fails, swallowed",
         [](FakeWorld& w) {
             w.automation.application->objects.at("GetAcadState")->failing.insert("IsQuiescent");
         },
         kHostWindow, asked},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWorld world;
        world.automation.application = MakeHostApplication(kHostWindow, false);
        world.desktop.foreground = kHostWindow;
        c.arrange(world);
        world.keyboard.down = {kVkShift};
        static_cast<void>(RunTapAssist(world.ports, kHostWindow));
        world.keyboard.down.clear();
        world.calls.clear();

        EXPECT_EQ(RunTapAssist(world.ports, kHostWindow), c.returned);
        EXPECT_EQ(world.calls, c.calls);
        EXPECT_EQ(world.state.tapFlags, TapFlags{});
        EXPECT_EQ(world.liveHostObjects, 0);
    }
}

TEST_F(TapAssist, ReportedHandleIsTheOneCheckedBeforeSending) {
    w.automation.application = MakeHostApplication(0x20, false);
    w.desktop.foreground = 0x20;
    EXPECT_EQ(Tap(kVkShift), 0x20u);
    EXPECT_TRUE(w.Called("SendKeyEvent:119,down"));
}

// The foreground is tested once the host has answered busy, and the key follows at once: a test made
// before the host's answer could send the key into a window the user switched to meanwhile.
TEST_F(TapAssist, ForegroundTestedAfterTheHostAnswersThenPressPauseRelease) {
    for (const int modifier : {kVkShift, kVkControl}) {
        SCOPED_TRACE(modifier);
        w.calls.clear();
        static_cast<void>(Tap(modifier));
        const std::string key = std::to_string(modifier == kVkShift ? kVkF8 : kVkF9);
        EXPECT_TRUE(
            w.CalledInOrder({"state.GetBoolean:IsQuiescent", "GetForegroundWindow",
                             "SendKeyEvent:" + key + ",down", "Sleep:1", "SendKeyEvent:" + key + ",up"}));
    }
}

TEST_F(TapAssist, TapWithToggleOffIsConsumedAndNeverSentLater) {
    w.main.ticked[Toggle::Shift] = false;
    EXPECT_EQ(Tap(kVkShift), kHostWindow);
    EXPECT_EQ(w.CallsSince(mark), Calls{});
    EXPECT_EQ(w.state.tapFlags, TapFlags{});

    w.main.ticked[Toggle::Shift] = true;
    EXPECT_EQ(RunTapAssist(w.ports, kHostWindow), kHostWindow);
    EXPECT_EQ(w.CallsSince(mark), Calls{});
}

TEST_F(TapAssist, ModifierWithOtherKeyOrBothModifiersSendsNothing) {
    struct Case {
        const char* name;
        std::vector<std::set<int>> ticks;
    };
    const Case cases[] = {
        {"Shift with a letter", {{kVkShift}, {kVkShift, 'A'}, {'A'}, {}}},
        {"Shift then Ctrl", {{kVkShift}, {kVkShift, kVkControl}, {kVkControl}, {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.calls.clear();
        for (const std::set<int>& down : c.ticks) {
            w.keyboard.down = down;
            EXPECT_EQ(RunTapAssist(w.ports, kHostWindow), kHostWindow);
        }
        EXPECT_EQ(w.calls, Calls{});
        EXPECT_EQ(w.state.tapFlags, TapFlags{});
    }
}

TEST(TapAssistSequence, ErrorsBeforeTheGuardedStepsPropagateAndKeepTheFlags) {
    for (const HostFailure& c : FailuresBeforeTheHostWindowIsKnown()) {
        SCOPED_TRACE(c.name);
        FakeWorld world;
        world.automation.application = MakeHostApplication(kHostWindow, false);
        world.keyboard.down = {kVkControl};
        static_cast<void>(RunTapAssist(world.ports, kHostWindow));
        world.keyboard.down.clear();
        c.arrange(world);

        EXPECT_THROW(static_cast<void>(RunTapAssist(world.ports, kHostWindow)), Error);
        EXPECT_EQ(world.state.tapFlags, (TapFlags{.ctrlSeen = true}));
        EXPECT_FALSE(world.Called("SendKeyEvent:120,down"));
        EXPECT_EQ(world.liveHostObjects, 0);
    }
}

}  // namespace
}  // namespace zo::fake
