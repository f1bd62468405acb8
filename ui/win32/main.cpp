// The program's entry: one copy only, the dark theme, the two windows and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <exception>
#include <optional>

#include "core/settings.h"
#include "core/theme.h"
#include "platform/automation.h"
#include "platform/collation.h"
#include "platform/desktop_windows.h"
#include "platform/input_method.h"
#include "platform/keyboard.h"
#include "platform/module_path.h"
#include "platform/profile.h"
#include "platform/wide.h"
#include "ui/win32/application_title.h"
#include "ui/win32/candidate_list_window.h"
#include "ui/win32/dark_theme.h"
#include "ui/win32/error_box.h"
#include "ui/win32/main_window.h"

namespace zo {
namespace {

class ComApartment {
  public:
    ComApartment() noexcept : initialised_(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialised_) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool initialised_;
};

void ShowThemeNotFound() noexcept {
    try {
        const std::wstring text = ToWide(ThemeNotFoundMessage(kThemeName));
        const std::wstring title = ToWide(ApplicationTitleText());
        TASKDIALOGCONFIG config{};
        config.cbSize = sizeof config;
        config.pszWindowTitle = title.c_str();
        config.pszMainIcon = TD_ERROR_ICON;
        config.pszContent = text.c_str();
        config.dwCommonButtons = TDCBF_CLOSE_BUTTON;
        if (FAILED(::TaskDialogIndirect(&config, nullptr, nullptr, nullptr))) {
            ::MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_ICONERROR | MB_OK);
        }
    } catch (...) {
        // Out of memory before the first window: the default look follows anyway.
    }
}

int RunProgram(HINSTANCE instance) {
    ComApartment apartment;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    std::optional<DarkTheme> theme = DarkTheme::Load(instance);
    if (!theme) ShowThemeNotFound();
    DarkTheme* look = theme ? &*theme : nullptr;

    Win32Desktop desktop;
    Win32Keyboard keyboard;
    Win32InputMethod inputMethod;
    Win32WindowSource windows;
    ComHostAutomation automation;
    SharedState state;
    Win32ProfileStore store(SettingsFileName(ExecutablePath()));
    // One collation for the list's order, its preselection and its typed search.
    const TextCompare compareForUser = CompareForUser;
    MainWindow mainWindow(instance, look);
    CandidateListWindow listWindow(instance, look, compareForUser);
    Ports ports{mainWindow, listWindow, desktop, keyboard,      inputMethod,
                automation, windows,    state,   compareForUser};

    try {
        mainWindow.Create(ports, store);
        listWindow.Create(mainWindow.hwnd());
    } catch (...) {
        // Nothing half-built stays on the screen: both windows go before the report. Neither
        // was shown, so their end leaves the settings file alone.
        const std::exception_ptr failure = std::current_exception();
        listWindow.Destroy();
        mainWindow.Destroy();
        ShowErrorBox(nullptr, FailureText(failure));
        return 0;
    }
    mainWindow.Show();

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab walks the main window's controls as in a dialog.
        if (mainWindow.hwnd() && ::IsDialogMessageW(mainWindow.hwnd(), &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    listWindow.Destroy();
    mainWindow.Destroy();  // writes the settings
    return 0;
}

}  // namespace
}  // namespace zo

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything can load a library: a DLL planted beside the executable must never load.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Another copy runs: end silently, creating nothing and leaving the settings alone.
    if (::FindWindowW(zo::kMainWindowClass, nullptr)) return 0;
    try {
        return zo::RunProgram(instance);
    } catch (...) {
        // Whatever escapes start-up (out of memory before the first window, say) is reported,
        // never left to end the process without a word.
        zo::ShowErrorBox(nullptr, zo::FailureText(std::current_exception()));
        return 0;
    }
}
