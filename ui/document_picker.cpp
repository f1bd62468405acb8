#include <limits>
#include <vector>

#include "core/candidate_list.h"
#include "core/candidate_list_rule.h"
#include "core/error.h"
#include "ui/handlers.h"
#include "ui/host_link.h"

namespace zo {
namespace {

constexpr std::uint32_t kRestoreWaitMs = 500;

std::int32_t ReadCount(HostObject& documents) {
    const std::int64_t value = documents.GetInteger(u"Count");
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw Error(u"Count: " + FromUtf8(std::to_string(value)));
    }
    return static_cast<std::int32_t>(value);
}

void RestoreZOrder(Ports& ports) {
    ports.desktop.SetTopmost(ports.list.Handle(), false);
    ports.desktop.SetTopmost(ports.main.Handle(), true);
}

}  // namespace

void Button4Click(Ports& ports) {
    MainWindowView& main = ports.main;
    CandidateListView& list = ports.list;
    Desktop& desktop = ports.desktop;

    // Held outside the guarded block and released after it, whichever way it ended.
    HostObjectPtr application;
    HostObjectPtr activeDocument;
    HostObjectPtr documents;
    bool mainOutOfTopmostBand = false;

    try {
        if (!HostServerRunning(ports)) return;
        application = AttachRunningHost(ports);
        const WindowHandle host = HostWindowNonNegative(*application);

        if (desktop.IsIconic(host)) {
            desktop.OpenIcon(host);
            // The restore animates; bringing the window forward at once can leave it behind.
            desktop.Sleep(kRestoreWaitMs);
        }
        desktop.SetForegroundWindow(host);

        activeDocument = application->GetObject(u"ActiveDocument");
        const Text activeName = activeDocument->GetText(u"Name");
        documents = application->GetObject(u"Documents");

        list.Clear();
        // Read once: both loops use the same count even if drawings open or close meanwhile.
        const std::int32_t count = ReadCount(*documents);
        std::vector<Text> names;
        for (std::int32_t index = 0; index < count; ++index) {
            const HostObjectPtr document = documents->GetItem(index);
            names.push_back(document->GetText(u"Name"));
        }
        const CandidateList candidates = BuildCandidateList(names, activeName, ports.compareForUser);
        list.SetRows(candidates.rows);
        list.Select(candidates.preselected);

        // The main window is topmost too; it leaves the band so that it cannot cover the list.
        desktop.SetTopmost(main.Handle(), false);
        mainOutOfTopmostBand = true;
        desktop.SetTopmost(list.Handle(), true);
        desktop.SetForegroundWindow(list.Handle());

        if (list.ShowModal() == kModalAccept) {
            if (const std::optional<std::size_t> row = list.SelectedRow()) {
                const Text chosen = list.RowText(*row);
                // Items are read afresh: the host's collection may have changed while the list
                // was open, and equal names activate the first in the host's order. The search
                // stops at the match, so the drawing read last is the one to activate.
                HostObjectPtr visited;
                const auto readName = [&](std::int32_t index) {
                    visited = documents->GetItem(index);
                    return visited->GetText(u"Name");
                };
                if (FindChosenDocument(count, readName, chosen)) visited->CallMethod(u"Activate");
            }
        }

        mainOutOfTopmostBand = false;
        RestoreZOrder(ports);
        desktop.SetForegroundWindow(host);
    } catch (...) {
        // LIST reports nothing, whatever failed. But a main window left out of the topmost band
        // would stay buried behind ordinary windows until restart, so that part is undone
        // always; only the host is not brought forward after a failure.
        if (mainOutOfTopmostBand) {
            try {
                RestoreZOrder(ports);
            } catch (...) {
                // Nothing more can be done without reporting, and LIST never reports.
            }
        }
    }
}

}  // namespace zo
