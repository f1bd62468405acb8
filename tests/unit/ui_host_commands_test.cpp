#include <gtest/gtest.h>

#include <functional>

#include "core/error.h"
#include "tests/unit/fake_world.h"
#include "ui/handlers.h"

namespace zo::fake {
namespace {

using Calls = std::vector<std::string>;

const Calls kFindHost{"EnumWindows", "ReadTitle:0x10", "ReadClassName:0x10"};

Calls Join(Calls first, const Calls& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

void PutHostOnDesktop(FakeWorld& w) {
    w.state.versionText = u"2020";
    w.windows.windows = {HostMainWindow()};
}

TEST(RegisterSequence, StoresHostPathShowsItThenBringsHostForward) {
    FakeWorld w;
    PutHostOnDesktop(w);

    Button1Click(w.ports);

    EXPECT_EQ(w.calls, Join({"IsRunning:Vexo.Application.20", "Attach:Vexo.Application.20",
                             "app.GetText:FullName", "SetVexoexe1Caption:C:\\Vexo\\korva.exe",
                             "ShowInformation:C:\\Vexo\\korva.exe\nを登録しました．"},
                            Join(kFindHost, {"SetForegroundWindow:0x10"})));
    EXPECT_EQ(w.state.appFullName, u"C:\\Vexo\\korva.exe");
    EXPECT_EQ(w.liveHostObjects, 0);
}

TEST(RegisterSequence, MenuItemRegistersTheRunningHost) {
    FakeWorld w;
    PutHostOnDesktop(w);
    w.automation.application = MakeHostApplication(0x10, true, u"D:\\Other\\korva.exe");

    KORVA1Click(w.ports);

    EXPECT_EQ(w.state.appFullName, u"D:\\Other\\korva.exe");
    // The message box first, then the host to the front, so that the host ends up above everything.
    EXPECT_TRUE(w.CalledInOrder({"SetVexoexe1Caption:D:\\Other\\korva.exe",
                                 "ShowInformation:D:\\Other\\korva.exe\nを登録しました．",
                                 "SetForegroundWindow:0x10"}));
    EXPECT_EQ(w.liveHostObjects, 0);
}

TEST(RegisterSequence, LaterFailuresAreSwallowedAndHostStillComesForward) {
    struct Case {
        const char* name;
        std::function<void(FakeWorld&)> arrange;
        Calls hostCalls;
    };
    const Case cases[] = {
        {"server not running",
         [](FakeWorld& w) { w.automation.running = false; },
         {"IsRunning:Vexo.Application.20"}},
        {"attach fails",
         [](FakeWorld& w) { w.automation.attachFails = true; },
         {"IsRunning:Vexo.Application.20", "Attach:Vexo.Application.20"}},
        {"FullName fails",
         [](FakeWorld& w) { w.automation.application->failing.insert("FullName"); },
         {"IsRunning:Vexo.Application.20", "Attach:Vexo.Application.20", "app.GetText:FullName"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWorld w;
        PutHostOnDesktop(w);
        w.state.appFullName = u"C:\\Old\\korva.exe";
        c.arrange(w);

        Button1Click(w.ports);

        EXPECT_EQ(w.calls, Join(c.hostCalls, Join(kFindHost, {"SetForegroundWindow:0x10"})));
        EXPECT_EQ(w.state.appFullName, u"C:\\Old\\korva.exe");
        EXPECT_EQ(w.liveHostObjects, 0);
    }
}

TEST(RegisterSequence, UnknownProgIdErrorLeavesTheCommandBeforeBringToFront) {
    FakeWorld w;
    PutHostOnDesktop(w);
    w.automation.registered = false;

    EXPECT_THROW(Button1Click(w.ports), Error);
    EXPECT_EQ(w.calls, Calls{"IsRunning:Vexo.Application.20"});
}

TEST(ActSequence, ChoosesAmongFrontLaunchAndMessage) {
    struct Case {
        const char* name;
        bool hostPresent;
        bool minimised;
        bool fileExists;
        Calls calls;
    };
    const Case cases[] = {
        {"host present", true, false, true, Join(kFindHost, {"IsIconic:0x10", "SetForegroundWindow:0x10"})},
        {"host minimised", true, true, false,
         Join(kFindHost, {"IsIconic:0x10", "OpenIcon:0x10", "SetForegroundWindow:0x10"})},
        {"no host, registered file exists",
         false,
         false,
         true,
         {"EnumWindows", "FileExists:C:\\Vexo\\korva.exe", "ShellOpen:0x1,C:\\Vexo\\korva.exe"}},
        // The message names the box's current text, here different from VersionText.
        {"no host, no registered file",
         false,
         false,
         false,
         {"EnumWindows", "FileExists:C:\\Vexo\\korva.exe",
          "ShowInformation:KORVA 2021 が登録されていません、\n"
          "KORVA 2021 が起動中に[登録]ボタンをクリックして下さい．"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWorld w;
        PutHostOnDesktop(w);
        if (!c.hostPresent) w.windows.windows.clear();
        if (c.minimised) w.desktop.iconic.insert(kHostWindow);
        w.state.appFullName = u"C:\\Vexo\\korva.exe";
        if (c.fileExists) w.desktop.existingFiles.insert(w.state.appFullName);
        w.main.versionBox = u"2021";

        Button2Click(w.ports);

        EXPECT_EQ(w.calls, c.calls);
        EXPECT_EQ(w.hostObjectsTaken, 0);
    }
}

}  // namespace
}  // namespace zo::fake
