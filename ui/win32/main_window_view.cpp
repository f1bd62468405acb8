// The main window as the handlers see it: the MainWindowView port over its controls.
#include "core/host_match.h"
#include "platform/desktop_windows.h"
#include "platform/wide.h"
#include "ui/win32/information_box.h"
#include "ui/win32/main_window.h"

namespace zo {

WindowHandle MainWindow::Handle() { return FromHwnd(window_); }

Text MainWindow::Caption() {
    // Read on every tick: the title as the window keeps it, without a message to our own window.
    wchar_t buffer[kWindowTextBufferUnits] = {};
    const int length = ::InternalGetWindowText(window_, buffer, kWindowTextBufferUnits);
    return length > 0 ? FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length))) : Text();
}

void MainWindow::SetCaption(TextView caption) {
    const std::wstring text = ToWide(caption);
    ::SetWindowTextW(window_, text.c_str());
}

std::uint32_t MainWindow::Shape1Color() { return shape1_.Colour(); }

void MainWindow::SetShape1Color(std::uint32_t color) { shape1_.SetColour(color); }

bool MainWindow::IsTicked(Toggle toggle) {
    return ::SendMessageW(ToggleControl(toggle), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

Text MainWindow::VersionBoxText() { return ReadVersionBox(); }

void MainWindow::SetTimer1Enabled(bool enabled) {
    if (enabled) {
        // SetTimer on a running timer restarts its interval, as switching it on must.
        timer1Enabled_ = ::SetTimer(window_, kTimer1, kTimer1IntervalMs, nullptr) != 0;
    } else if (timer1Enabled_) {
        ::KillTimer(window_, kTimer1);
        timer1Enabled_ = false;
    }
}

void MainWindow::Close() { ::PostMessageW(window_, WM_CLOSE, 0, 0); }

void MainWindow::SetVexoexe1Caption(TextView path) { popupMenu1_.SetVexoexe1Caption(path); }

void MainWindow::SetLeft(std::int32_t left) {
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    ::SetWindowPos(window_, nullptr, left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetTop(std::int32_t top) {
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    ::SetWindowPos(window_, nullptr, rect.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetVersionBoxText(TextView text) {
    const std::wstring wide = ToWide(text);
    // SetWindowTextW sends EN_CHANGE before it returns; that one is the program's, not a user's.
    writingVersionBox_ = true;
    ::SetWindowTextW(controls_[kEdit2], wide.c_str());
    writingVersionBox_ = false;
}

void MainWindow::SetTicked(Toggle toggle, bool ticked) {
    // BM_SETCHECK sends no BN_CLICKED, so no click handler runs from here.
    ::SendMessageW(ToggleControl(toggle), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainWindow::ShowInformation(TextView text) { ShowCentredInformation(window_, text); }

}  // namespace zo
