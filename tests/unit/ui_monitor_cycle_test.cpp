#include <gtest/gtest.h>

#include <algorithm>

#include "core/error.h"
#include "tests/unit/fake_world.h"
#include "ui/handlers.h"

namespace zo::fake {
namespace {

using Calls = std::vector<std::string>;

// The host's main window on the desktop and in front.
void PutHostInFront(FakeWorld& w) {
    w.state.versionText = u"2020";
    w.windows.windows = {HostMainWindow()};
    w.desktop.foreground = kHostWindow;
}

class MonitorCycle : public ::testing::Test {
  protected:
    MonitorCycle() { PutHostInFront(w); }

    std::size_t Tick() {
        const std::size_t mark = w.calls.size();
        Timer1Timer(w.ports);
        return mark;
    }

    [[nodiscard]] bool CalledSince(std::size_t mark, const std::string& call) const {
        const Calls since = w.CallsSince(mark);
        return std::find(since.begin(), since.end(), call) != since.end();
    }

    FakeWorld w;
};

TEST_F(MonitorCycle, OneTickRunsItsStepsInOrder) {
    Tick();

    EXPECT_EQ(w.calls,
              (Calls{"SetTimer1Enabled:0", "EnumWindows", "ReadTitle:0x10", "ReadClassName:0x10",
                     "SetCaption:■ZO24_RAZ - KORVA 2020 x6", "SetShape1Color:00ff00", "GetForegroundWindow",
                     "DefaultImeWindow:0x10", "SendImeControl:0x500,5", "IsRunning:Vexo.Application.20",
                     "Attach:Vexo.Application.20", "app.GetInteger:HWND", "app.GetObject:GetAcadState",
                     "state.GetBoolean:IsQuiescent", "SendImeControl:0x500,6", "SetTimer1Enabled:1"}));
    EXPECT_TRUE(w.state.diRed);
    EXPECT_GT(w.keyboard.keyboardReads, 0) << "the gated tick samples the keys";
    EXPECT_EQ(w.liveHostObjects, 0);
}

TEST_F(MonitorCycle, SteadyStateWritesNeitherCaptionNorLamp) {
    for (const bool hostPresent : {true, false}) {
        SCOPED_TRACE(hostPresent ? "host present" : "no host");
        if (!hostPresent) w.windows.windows.clear();
        w.main.ticked[Toggle::Off] = false;
        const std::size_t first = Tick();
        EXPECT_TRUE(CalledSince(first, hostPresent ? "SetShape1Color:00ff00" : "SetShape1Color:808080"));
        EXPECT_EQ(w.main.caption, hostPresent ? u"■ZO24_RAZ - KORVA 2020 x6" : u"■ZO24_RAZ - ");

        const std::size_t second = Tick();
        for (const std::string& call : w.CallsSince(second)) {
            EXPECT_EQ(call.rfind("SetCaption:", 0), std::string::npos) << call;
            EXPECT_EQ(call.rfind("SetShape1Color:", 0), std::string::npos) << call;
        }
    }
}

TEST_F(MonitorCycle, AutoCloseNeedsAHostSeenBeforeAndOffTicked) {
    struct Case {
        const char* name;
        bool seenBefore;
        bool presentNow;
        bool offTicked;
        bool closes;
    };
    const Case cases[] = {
        {"never seen, absent, OFF ticked", false, false, true, false},
        {"seen, gone, OFF ticked", true, false, true, true},
        {"seen, gone, OFF not ticked", true, false, false, false},
        {"seen, still there, OFF ticked", true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWorld world;
        PutHostInFront(world);
        world.main.ticked[Toggle::Off] = c.offTicked;
        if (c.seenBefore) Timer1Timer(world.ports);
        if (!c.presentNow) world.windows.windows.clear();
        world.calls.clear();

        Timer1Timer(world.ports);
        EXPECT_EQ(world.main.closed, c.closes);
        EXPECT_EQ(world.Called("Close"), c.closes);
    }
}

TEST_F(MonitorCycle, ClosingTickStillTurnsLampGreyAndRunsImeGuard) {
    Tick();
    w.windows.windows.clear();
    w.desktop.foreground = 0x99;
    w.ime.openStatus = 1;  // reopened by the user since the first tick closed it

    const std::size_t mark = Tick();

    EXPECT_EQ(w.CallsSince(mark),
              (Calls{"SetTimer1Enabled:0", "EnumWindows", "SetCaption:■ZO24_RAZ - ", "Close",
                     "SetShape1Color:808080", "GetForegroundWindow", "DefaultImeWindow:0x0",
                     "SendImeControl:0x500,5", "IsRunning:Vexo.Application.20", "Attach:Vexo.Application.20",
                     "app.GetInteger:HWND", "app.GetObject:GetAcadState", "state.GetBoolean:IsQuiescent",
                     "SendImeControl:0x500,6", "SetTimer1Enabled:1"}));
}

TEST_F(MonitorCycle, TapAssistRunsOnlyWhenForegroundEqualsTickHandle) {
    struct Case {
        const char* name;
        bool hostPresent;
        WindowHandle foreground;
        bool assistRuns;
    };
    const Case cases[] = {
        {"host in front", true, kHostWindow, true},
        {"host behind another window", true, 0x99, false},
        {"host present, no foreground window", true, kNoWindow, false},
        {"no host, no foreground window", false, kNoWindow, true},
        {"no host, some window in front", false, 0x99, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWorld world;
        PutHostInFront(world);
        if (!c.hostPresent) world.windows.windows.clear();
        world.desktop.foreground = c.foreground;
        world.main.ticked[Toggle::Ime] = false;

        Timer1Timer(world.ports);
        EXPECT_EQ(world.keyboard.keyboardReads > 0, c.assistRuns);
    }
}

TEST_F(MonitorCycle, ImeGuardWorksOnTheHandleTheHostReported) {
    w.automation.application = MakeHostApplication(0x20, false);
    w.keyboard.down = {kVkShift};
    Tick();
    w.keyboard.down.clear();

    const std::size_t mark = Tick();

    EXPECT_TRUE(CalledSince(mark, "state.GetBoolean:IsQuiescent"));
    EXPECT_TRUE(CalledSince(mark, "DefaultImeWindow:0x20"));
    EXPECT_FALSE(CalledSince(mark, "DefaultImeWindow:0x10"));
}

TEST_F(MonitorCycle, ErrorInTapAssistStopsTheCycleAndKeepsTheFlags) {
    w.keyboard.down = {kVkShift};
    Tick();
    w.keyboard.down.clear();
    w.automation.registered = false;

    const std::size_t mark = w.calls.size();
    EXPECT_THROW(Timer1Timer(w.ports), Error);

    EXPECT_FALSE(w.main.timerEnabled);
    EXPECT_EQ(w.calls.back(), "IsRunning:Vexo.Application.20");
    EXPECT_FALSE(CalledSince(mark, "DefaultImeWindow:0x10"));
    EXPECT_EQ(w.state.tapFlags, (TapFlags{.shiftSeen = true}));
    EXPECT_EQ(w.liveHostObjects, 0);
}

}  // namespace
}  // namespace zo::fake
