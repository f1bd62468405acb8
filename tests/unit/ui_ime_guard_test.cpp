#include <gtest/gtest.h>

#include <functional>

#include "core/error.h"
#include "tests/unit/fake_world.h"
#include "ui/handlers.h"

namespace zo::fake {
namespace {

using Calls = std::vector<std::string>;

const Calls kAskHost{"DefaultImeWindow:0x10",       "SendImeControl:0x500,5", "IsRunning:Vexo.Application.20",
                     "Attach:Vexo.Application.20",  "app.GetInteger:HWND",    "app.GetObject:GetAcadState",
                     "state.GetBoolean:IsQuiescent"};

Calls AskHostThen(std::initializer_list<std::string> more) {
    Calls all = kAskHost;
    all.insert(all.end(), more);
    return all;
}

TEST(ImeGuardSequence, DecidesFromImeWindowOpenStatusAndHostState) {
    struct Case {
        const char* name;
        std::function<void(FakeWorld&)> arrange;
        Calls calls;
    };
    const Case cases[] = {
        {"toggle not ticked asks nothing", [](FakeWorld& w) { w.main.ticked[Toggle::Ime] = false; }, {}},
        {"no IME window", [](FakeWorld& w) { w.ime.imeWindow = 0; }, {"DefaultImeWindow:0x10"}},
        {"input method closed",
         [](FakeWorld& w) { w.ime.openStatus = 0; },
         {"DefaultImeWindow:0x10", "SendImeControl:0x500,5"}},
        {"status 0x100 has a zero low byte and counts as closed",
         [](FakeWorld& w) { w.ime.openStatus = 0x100; },
         {"DefaultImeWindow:0x10", "SendImeControl:0x500,5"}},
        {"server not running",
         [](FakeWorld& w) { w.automation.running = false; },
         {"DefaultImeWindow:0x10", "SendImeControl:0x500,5", "IsRunning:Vexo.Application.20"}},
        {"host busy leaves it open",
         [](FakeWorld& w) { w.automation.application = MakeHostApplication(kHostWindow, false); }, kAskHost},
        {"host quiescent closes it", [](FakeWorld&) {}, AskHostThen({"SendImeControl:0x500,6"})},
        {"status 0x101 counts as open", [](FakeWorld& w) { w.ime.openStatus = 0x101; },
         AskHostThen({"SendImeControl:0x500,6"})},
        {"GetAcadState fails, swallowed",
         [](FakeWorld& w) { w.automation.application->failing.insert("GetAcadState"); },
         Calls(kAskHost.begin(), kAskHost.end() - 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWorld w;
        c.arrange(w);

        RunImeGuard(w.ports, kHostWindow);

        EXPECT_EQ(w.calls, c.calls);
        EXPECT_EQ(w.liveHostObjects, 0);
    }
}

TEST(ImeGuardSequence, AsksForTheImeWindowOfANullHandleToo) {
    FakeWorld w;
    w.ime.imeWindow = 0;
    RunImeGuard(w.ports, kNoWindow);
    EXPECT_EQ(w.calls, Calls{"DefaultImeWindow:0x0"});
}

TEST(ImeGuardSequence, ErrorsBeforeTheGuardedStepsPropagate) {
    for (const HostFailure& c : FailuresBeforeTheHostWindowIsKnown()) {
        SCOPED_TRACE(c.name);
        FakeWorld w;
        c.arrange(w);
        EXPECT_THROW(RunImeGuard(w.ports, kHostWindow), Error);
        EXPECT_FALSE(w.Called("SendImeControl:0x500,6"));
        EXPECT_EQ(w.liveHostObjects, 0);
    }
}

}  // namespace
}  // namespace zo::fake
