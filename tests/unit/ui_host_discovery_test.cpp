#include <gtest/gtest.h>

#include "tests/unit/fake_world.h"
#include "ui/handlers.h"

namespace zo::fake {
namespace {

using Calls = std::vector<std::string>;

TEST(FindHostWindowSequence, ReadsClassOnlyForPassingTitlesAndStopsAtFirstMatch) {
    FakeWorld w;
    w.state.versionText = u"2020";
    w.windows.windows = {
        {0x1, u"", Text(u"Afx:1")},             // no title
        {0x2, u"Notepad", Text(u"Notepad")},    // title fails
        {0x3, u"KORVA 2020", Text(u"#32770")},  // title passes, class fails
        {0x4, u"KORVA 2020 (x64) - [A.drw]", Text(u"Afx:400000:8")},
        {0x5, u"Dravelin 2020", Text(u"Afx:400000:8")},  // would match, never reached
    };

    EXPECT_EQ(FindHostWindow(w.ports), 0x4u);
    EXPECT_EQ(w.state.hostWindowHandle, 0x4u);
    EXPECT_EQ(w.state.hostWindowTitle, u"KORVA 2020 (x64) - [A.drw]");
    EXPECT_EQ(w.calls, (Calls{"EnumWindows", "ReadTitle:0x1", "ReadTitle:0x2", "ReadTitle:0x3",
                              "ReadClassName:0x3", "ReadTitle:0x4", "ReadClassName:0x4"}));
}

TEST(FindHostWindowSequence, FindsNothing) {
    struct Case {
        const char* name;
        Text versionText;
        std::optional<Text> className;
    };
    const Case cases[] = {
        {"empty version text matches no title", u"", Text(u"Afx:1")},
        {"unreadable class name", u"2020", std::nullopt},
        {"class without the prefix", u"2020", Text(u"afx:1")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWorld w;
        w.state.versionText = c.versionText;
        w.state.hostWindowHandle = 0x99;  // an earlier call's result must not survive
        w.state.hostWindowTitle = u"KORVA 2020 old";
        w.windows.windows = {{0x10, u"KORVA 2020 (x64)", c.className}};

        EXPECT_EQ(FindHostWindow(w.ports), kNoWindow);
        EXPECT_EQ(w.state.hostWindowHandle, kNoWindow);
        EXPECT_EQ(w.state.hostWindowTitle, u"");
    }
}

TEST(FindHostWindowSequence, EmptyVersionTextNeverReadsAClassName) {
    FakeWorld w;
    w.windows.windows = {HostMainWindow()};
    EXPECT_EQ(FindHostWindow(w.ports), kNoWindow);
    EXPECT_EQ(w.calls, (Calls{"EnumWindows", "ReadTitle:0x10"}));
}

TEST(FindHostWindowSequence, FollowsVersionTextNotTheBoxUntilEdit2Change) {
    FakeWorld w;
    w.state.versionText = u"2020";
    w.main.versionBox = u"2024";
    w.windows.windows = {HostMainWindow(0x10, u"KORVA 2024")};
    EXPECT_EQ(FindHostWindow(w.ports), kNoWindow);

    Edit2Change(w.ports);
    EXPECT_EQ(w.state.versionText, u"2024");
    EXPECT_EQ(FindHostWindow(w.ports), 0x10u);
}

TEST(CheckBoxClickSequence, HandsForegroundBackOnlyToAFoundHost) {
    const struct {
        const char* name;
        void (*click)(Ports&);
    } handlers[] = {
        {"CheckBox1Click", CheckBox1Click},
        {"CheckBox2Click", CheckBox2Click},
        {"CheckBox3Click", CheckBox3Click},
        {"CheckBox4Click", CheckBox4Click},
    };
    for (const auto& h : handlers) {
        SCOPED_TRACE(h.name);
        FakeWorld w;
        w.state.versionText = u"2020";
        h.click(w.ports);
        EXPECT_FALSE(w.Called("SetForegroundWindow:0x0"));
        EXPECT_EQ(w.calls, (Calls{"EnumWindows"}));

        w.windows.windows = {HostMainWindow()};
        const std::size_t mark = w.calls.size();
        h.click(w.ports);
        EXPECT_EQ(w.CallsSince(mark),
                  (Calls{"EnumWindows", "ReadTitle:0x10", "ReadClassName:0x10", "SetForegroundWindow:0x10"}));
    }
}

// The enumeration callback on its own: non-zero goes on, zero stops at the match.
TEST(HostWindowEnumProc, GoesOnUntilTheMatchThenStops) {
    FakeWorld w;
    w.state.versionText = u"2020";
    w.windows.windows = {{0x2, u"Notepad", Text(u"Notepad")}, HostMainWindow()};
    const auto parameter = reinterpret_cast<std::intptr_t>(&w.ports);

    EXPECT_EQ(HostWindowEnumProc(0x2, parameter), -1);
    EXPECT_EQ(w.state.hostWindowHandle, kNoWindow);
    EXPECT_EQ(HostWindowEnumProc(kHostWindow, parameter), 0);
    EXPECT_EQ(w.state.hostWindowHandle, kHostWindow);
    EXPECT_EQ(w.state.hostWindowTitle, u"KORVA 2020 (x64) - [Drawing1.drw]");
}

}  // namespace
}  // namespace zo::fake
