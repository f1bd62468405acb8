// What the settings file takes from the main window at its destruction, and the sizes its
// defaults are computed from at creation.
#include "core/settings.h"
#include "platform/screen_size.h"
#include "ui/win32/main_window.h"

namespace zo {

void MainWindow::FormDestroy() {
    // A start-up that failed before the window was shown leaves the settings as they are.
    if (!store_ || !ports_ || !shown_) return;
    SaveSettings(*store_, CollectSettings());
}

RunSettings MainWindow::CollectSettings() const {
    RunSettings settings;
    RECT rect{};
    if (::IsIconic(window_)) {
        // A minimised window stores where it would be restored. The placement is in workspace
        // coordinates, which differ from the screen's when the taskbar sits at the top or left.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        ::GetWindowPlacement(window_, &placement);
        rect = placement.rcNormalPosition;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (::GetMonitorInfoW(::MonitorFromRect(&rect, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
            ::OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left,
                         monitor.rcWork.top - monitor.rcMonitor.top);
        }
    } else {
        ::GetWindowRect(window_, &rect);
    }
    settings.left = rect.left;
    settings.top = rect.top;
    settings.appFullName = ports_->state.appFullName;
    settings.version = ReadVersionBox();
    const auto ticked = [this](Control control) {
        return ::SendMessageW(controls_[control], BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    settings.shift = ticked(kCheckBox1);
    settings.ctrl = ticked(kCheckBox2);
    settings.ime = ticked(kCheckBox3);
    settings.off = ticked(kCheckBox4);
    return settings;
}

ScreenAndWindowSize MainWindow::Sizes() const {
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    return {PrimaryScreenWidth(), PrimaryScreenHeight(), rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace zo
