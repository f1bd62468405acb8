#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/candidate_list_rule.h"
#include "core/error.h"
#include "tests/unit/fake_world.h"
#include "ui/handlers.h"

namespace zo::fake {
namespace {

using Calls = std::vector<std::string>;

// The user picks `row` with the given modal result.
std::function<int(FakeList&)> UserPicks(std::optional<std::size_t> row, int result) {
    return [row, result](FakeList& list) {
        list.selected = row;
        return result;
    };
}

class DocumentPicker : public ::testing::Test {
  protected:
    DocumentPicker() { AddDrawings(*w.automation.application, {u"b", u"A", u"c"}, u"B"); }

    [[nodiscard]] HostScript& Documents() const { return *w.automation.application->objects.at("Documents"); }

    FakeWorld w;
};

TEST_F(DocumentPicker, FillsListPreselectsActiveAndActivatesChosenDrawing) {
    w.list.onShowModal = UserPicks(2, kModalAccept);

    Button4Click(w.ports);

    EXPECT_EQ(w.calls, (Calls{"IsRunning:Vexo.Application.20",
                              "Attach:Vexo.Application.20",
                              "app.GetInteger:HWND",
                              "IsIconic:0x10",
                              "SetForegroundWindow:0x10",
                              "app.GetObject:ActiveDocument",
                              "active.GetText:Name",
                              "app.GetObject:Documents",
                              "Clear",
                              "docs.GetInteger:Count",
                              "docs.GetItem:0",
                              "doc:b.GetText:Name",
                              "docs.GetItem:1",
                              "doc:A.GetText:Name",
                              "docs.GetItem:2",
                              "doc:c.GetText:Name",
                              "SetRows:A|b|c",
                              "Select:1",
                              "SetTopmost:0x1,0",
                              "SetTopmost:0x2,1",
                              "SetForegroundWindow:0x2",
                              "ShowModal",
                              "SelectedRow",
                              "RowText:2",
                              "docs.GetItem:0",
                              "doc:b.GetText:Name",
                              "docs.GetItem:1",
                              "doc:A.GetText:Name",
                              "docs.GetItem:2",
                              "doc:c.GetText:Name",
                              "doc:c.CallMethod:Activate",
                              "SetTopmost:0x2,0",
                              "SetTopmost:0x1,1",
                              "SetForegroundWindow:0x10"}));
    EXPECT_EQ(w.list.rows, (std::vector<Text>{u"A", u"b", u"c"}));
    EXPECT_EQ(w.liveHostObjects, 0);
}

TEST_F(DocumentPicker, MinimisedHostIsRestoredAndGivenTimeBeforeComingForward) {
    w.desktop.iconic.insert(kHostWindow);
    Button4Click(w.ports);
    const Calls expected{"IsIconic:0x10", "OpenIcon:0x10", "Sleep:500", "SetForegroundWindow:0x10"};
    EXPECT_NE(std::search(w.calls.begin(), w.calls.end(), expected.begin(), expected.end()), w.calls.end());
}

TEST_F(DocumentPicker, EqualNamesActivateTheFirstInHostOrder) {
    AddDrawings(*w.automation.application, {u"x", u"Same", u"Same"}, u"x");
    Documents().items[2]->label = "doc:Same#2";
    w.list.onShowModal = UserPicks(1, kModalAccept);  // rows: Same, Same, x -> the second Same

    Button4Click(w.ports);

    EXPECT_TRUE(w.Called("doc:Same.CallMethod:Activate"));
    EXPECT_FALSE(w.Called("doc:Same#2.CallMethod:Activate"));
}

TEST_F(DocumentPicker, NoActivationWithoutAcceptedSelectionButZOrderRestored) {
    struct Case {
        const char* name;
        std::optional<std::size_t> row;
        int result;
    };
    const Case cases[] = {
        {"cancelled with a row selected", 0, kModalCancel},
        {"accepted with no row selected", std::nullopt, kModalAccept},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.calls.clear();
        w.list.onShowModal = UserPicks(c.row, c.result);

        Button4Click(w.ports);

        const Calls expectedEnd{"SetTopmost:0x2,0", "SetTopmost:0x1,1", "SetForegroundWindow:0x10"};
        const auto showModal = std::find(w.calls.begin(), w.calls.end(), "ShowModal");
        ASSERT_NE(showModal, w.calls.end());
        const Calls afterModal(showModal + 1, w.calls.end());
        EXPECT_EQ(std::count_if(afterModal.begin(), afterModal.end(),
                                [](const std::string& call) {
                                    return call.find("GetItem") != std::string::npos ||
                                           call.find("Activate") != std::string::npos;
                                }),
                  0);
        ASSERT_GE(afterModal.size(), expectedEnd.size());
        EXPECT_EQ(Calls(afterModal.end() - 3, afterModal.end()), expectedEnd);
        EXPECT_EQ(w.liveHostObjects, 0);
    }
}

TEST_F(DocumentPicker, ServerNotRunningDoesNothing) {
    w.automation.running = false;
    Button4Click(w.ports);
    EXPECT_EQ(w.calls, Calls{"IsRunning:Vexo.Application.20"});
}

// Whatever fails ends the command silently at the failing call: nothing after it runs. Once the
// main window has left the topmost band it is put back and the list taken out of it; the host,
// brought forward before the lists were filled, is not brought forward again.
TEST(DocumentPickerFailure, EndsSilentlyAtTheFailingCallAndRestoresZOrderOnceLowered) {
    struct Case {
        const char* name;
        std::function<void(FakeWorld&)> arrange;
        const char* failingCall;  // the command's last call before any clean-up
        bool hostBroughtForward;  // the host came forward before the failure
        bool loweredBeforeFailure;
    };
    auto failMember = [](const char* object, const char* member) {
        return [=](FakeWorld& w) {
            HostScript& app = *w.automation.application;
            HostScript& target = std::string(object) == "app" ? app : *app.objects.at(object);
            target.failing.insert(member);
        };
    };
    const Case cases[] = {
        {"ProgID not registered", [](FakeWorld& w) { w.automation.registered = false; },
         "IsRunning:Vexo.Application.20", false, false},
        {"attach", [](FakeWorld& w) { w.automation.attachFails = true; }, "Attach:Vexo.Application.20", false,
         false},
        {"HWND", failMember("app", "HWND"), "app.GetInteger:HWND", false, false},
        {"negative HWND", [](FakeWorld& w) { w.automation.application->integers["HWND"] = -5; },
         "app.GetInteger:HWND", false, false},
        {"ActiveDocument", failMember("app", "ActiveDocument"), "app.GetObject:ActiveDocument", true, false},
        {"active drawing's Name", failMember("ActiveDocument", "Name"), "active.GetText:Name", true, false},
        {"Documents", failMember("app", "Documents"), "app.GetObject:Documents", true, false},
        {"Count", failMember("Documents", "Count"), "docs.GetInteger:Count", true, false},
        {"Count beyond 32 bits",
         [](FakeWorld& w) {
             w.automation.application->objects.at("Documents")->integers["Count"] = 1LL << 32;
         },
         "docs.GetInteger:Count", true, false},
        {"Item", failMember("Documents", "Item"), "docs.GetItem:0", true, false},
        {"a drawing's Name while filling",
         [](FakeWorld& w) {
             w.automation.application->objects.at("Documents")->items[1]->failing.insert("Name");
         },
         "doc:b.GetText:Name", true, false},
        {"modal show",
         [](FakeWorld& w) { w.list.onShowModal = [](FakeList&) -> int { throw Error(u"list failed"); }; },
         "ShowModal", true, true},
        {"drawing closed while the list was open",
         [](FakeWorld& w) {
             w.list.onShowModal = [&w](FakeList& list) {
                 w.automation.application->objects.at("Documents")->items.pop_back();
                 list.selected = 2;
                 return kModalAccept;
             };
         },
         "docs.GetItem:2", true, true},
        {"Activate",
         [](FakeWorld& w) {
             w.automation.application->objects.at("Documents")->items[0]->failing.insert("Activate");
             w.list.onShowModal = UserPicks(0, kModalAccept);
         },
         "doc:a.CallMethod:Activate", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeWorld w;
        AddDrawings(*w.automation.application, {u"a", u"b", u"c"}, u"a");
        c.arrange(w);

        EXPECT_NO_THROW(Button4Click(w.ports));

        Calls expectedEnd{c.failingCall};
        if (c.loweredBeforeFailure) {
            expectedEnd.insert(expectedEnd.end(), {"SetTopmost:0x2,0", "SetTopmost:0x1,1"});
        }
        ASSERT_GE(w.calls.size(), expectedEnd.size());
        EXPECT_EQ(w.CallsSince(w.calls.size() - expectedEnd.size()), expectedEnd);
        EXPECT_EQ(w.Called("SetTopmost:0x1,0"), c.loweredBeforeFailure);
        EXPECT_EQ(std::count(w.calls.begin(), w.calls.end(), "SetForegroundWindow:0x10"),
                  c.hostBroughtForward ? 1 : 0);
        EXPECT_EQ(
            std::count_if(w.calls.begin(), w.calls.end(),
                          [](const std::string& call) { return call.rfind("ShowInformation", 0) == 0; }),
            0);
        EXPECT_EQ(w.liveHostObjects, 0);
    }
}

}  // namespace
}  // namespace zo::fake
