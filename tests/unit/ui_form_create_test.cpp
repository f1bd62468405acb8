#include <gtest/gtest.h>

#include "tests/unit/fake_world.h"
#include "ui/handlers.h"

namespace zo::fake {
namespace {

using Calls = std::vector<std::string>;
constexpr ScreenAndWindowSize kSizes{1024, 768, 200, 80};

TEST(FormCreateSequence, DefaultsApplyWithoutRunningAnyHandler) {
    FakeWorld w;
    FakeProfileStore store;
    w.state.tapFlags = TapFlags{true, true, true};

    FormCreate(w.ports, store, kSizes);

    EXPECT_EQ(w.state.tapFlags, TapFlags{});
    EXPECT_EQ(w.state.versionText, u"2020");
    EXPECT_EQ(w.calls, (Calls{"SetLeft:412", "SetTop:344", "SetVexoexe1Caption:", "SetVersionBoxText:2020",
                              "SetTicked:Shift,1", "SetTicked:Ctrl,1", "SetTicked:Ime,1", "SetTicked:Off,1",
                              "EnumWindows", "FileExists:"}));
}

TEST(FormCreateSequence, ToggleStoredOffLooksForHostBeforeVersionTextIsSet) {
    FakeWorld w;
    FakeProfileStore store;
    store.values[u"Shift"] = u"0";
    w.windows.windows = {HostMainWindow()};

    FormCreate(w.ports, store, kSizes);

    // The click handler's search runs with VersionText still empty and so finds nothing; only
    // the search after VersionText was copied finds the host.
    EXPECT_EQ(w.calls, (Calls{"SetLeft:412", "SetTop:344", "SetVexoexe1Caption:", "SetVersionBoxText:2020",
                              "SetTicked:Shift,0", "EnumWindows", "ReadTitle:0x10", "SetTicked:Ctrl,1",
                              "SetTicked:Ime,1", "SetTicked:Off,1", "EnumWindows", "ReadTitle:0x10",
                              "ReadClassName:0x10"}));
    EXPECT_FALSE(w.main.ticked.at(Toggle::Shift));
}

TEST(FormCreateSequence, StoredVersionReachesToggleHandlerThroughEdit2Change) {
    FakeWorld w;
    FakeProfileStore store;
    store.values[u"Version"] = u"2024";
    store.values[u"OFF"] = u"0";
    w.windows.windows = {HostMainWindow(0x10, u"KORVA 2024")};

    FormCreate(w.ports, store, kSizes);

    const Calls expectedTail{
        "SetTicked:Off,0",          "EnumWindows", "ReadTitle:0x10", "ReadClassName:0x10",
        "SetForegroundWindow:0x10", "EnumWindows", "ReadTitle:0x10", "ReadClassName:0x10"};
    ASSERT_GE(w.calls.size(), expectedTail.size());
    EXPECT_EQ(w.CallsSince(w.calls.size() - expectedTail.size()), expectedTail);
    EXPECT_EQ(w.state.versionText, u"2024");
}

// Each value reaches its control, and its handler runs, before the next key is read.
TEST(FormCreateSequence, ReadsAndAppliesKeyByKey) {
    FakeWorld w;
    FakeProfileStore store(w);
    store.values[u"Version"] = u"2024";
    store.values[u"Ctrl"] = u"0";
    w.windows.windows = {HostMainWindow(0x10, u"KORVA 2024")};

    FormCreate(w.ports, store, kSizes);

    EXPECT_EQ(w.calls, (Calls{"ReadString:Left",
                              "SetLeft:412",
                              "ReadString:Top",
                              "SetTop:344",
                              "ReadString:AppFullName",
                              "SetVexoexe1Caption:",
                              "ReadString:Version",
                              "SetVersionBoxText:2024",
                              "ReadString:Shift",
                              "SetTicked:Shift,1",
                              "ReadString:Ctrl",
                              "SetTicked:Ctrl,0",
                              "EnumWindows",
                              "ReadTitle:0x10",
                              "ReadClassName:0x10",
                              "SetForegroundWindow:0x10",
                              "ReadString:IME",
                              "SetTicked:Ime,1",
                              "ReadString:OFF",
                              "SetTicked:Off,1",
                              "EnumWindows",
                              "ReadTitle:0x10",
                              "ReadClassName:0x10"}));
}

TEST(FormCreateSequence, LaunchesRegisteredFileOnlyWithoutHost) {
    struct Case {
        const char* name;
        bool hostPresent;
        bool fileExists;
        bool launched;
    };
    const Case cases[] = {
        {"host present", true, true, false},
        {"no host, file exists", false, true, true},
        {"no host, no such file", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWorld w;
        FakeProfileStore store;
        store.values[u"AppFullName"] = u"C:\\Vexo\\korva.exe";
        if (c.hostPresent) w.windows.windows = {HostMainWindow()};
        if (c.fileExists) w.desktop.existingFiles.insert(u"C:\\Vexo\\korva.exe");

        FormCreate(w.ports, store, kSizes);

        EXPECT_EQ(w.state.appFullName, u"C:\\Vexo\\korva.exe");
        EXPECT_TRUE(w.Called("SetVexoexe1Caption:C:\\Vexo\\korva.exe"));
        EXPECT_EQ(w.Called("ShellOpen:0x1,C:\\Vexo\\korva.exe"), c.launched);
    }
}

}  // namespace
}  // namespace zo::fake
