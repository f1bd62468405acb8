#pragma once
// The companion window "TKV24RUNForm": its controls, timer and context menu, and the Win32 side
// of MainWindowView. The window procedure only dispatches to the named handlers.
#include <windows.h>

#include <array>
#include <optional>

#include "core/settings.h"
#include "platform/unique_handle.h"
#include "ui/ports.h"

namespace zo {

class DarkTheme;

inline constexpr const wchar_t* kMainWindowClass = L"TKV24RUNForm";

class MainWindow final : public MainWindowView {
public:
    MainWindow(HINSTANCE instance, DarkTheme* theme);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window hidden; FormCreate runs inside with `ports` and `store`.
    void Create(Ports& ports, ProfileStore& store);
    void Show();
    // Destroys the window (FormDestroy writes the settings) unless that already happened.
    void Destroy() noexcept;
    [[nodiscard]] HWND hwnd() const noexcept { return window_; }

    // MainWindowView
    [[nodiscard]] WindowHandle Handle() override;
    [[nodiscard]] Text Caption() override;
    void SetCaption(TextView caption) override;
    [[nodiscard]] std::uint32_t LampColor() override;
    void SetLampColor(std::uint32_t color) override;
    [[nodiscard]] bool IsTicked(Toggle toggle) override;
    [[nodiscard]] Text VersionBoxText() override;
    void SetTimerEnabled(bool enabled) override;
    void Close() override;
    void SetRegisteredPathCaption(TextView path) override;
    void SetPosition(std::int32_t left, std::int32_t top) override;
    void SetVersionBoxText(TextView text) override;
    void SetTicked(Toggle toggle, bool ticked) override;
    void ShowInformation(TextView text) override;

private:
    enum Control : int {
        kButton1,
        kButton2,
        kEdit2,
        kCheckBox1,
        kCheckBox2,
        kCheckBox3,
        kCheckBox4,
        kButton4,
        kCheckBox5,
        kControlCount
    };

    template <class Owner>
    friend LRESULT CALLBACK OwnedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void Attach(HWND window) noexcept { window_ = window; }
    void Detach() noexcept { window_ = nullptr; }
    static LRESULT CALLBACK LampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static void RegisterClasses(HINSTANCE instance);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void CreateControls();
    void BuildPopupMenu();
    void OnCommand(int id, int code, HWND control);
    void OnActivate(bool active);
    void OnContextMenu(LPARAM lParam);
    void FormDestroy();
    void WriteSettingsOnce();
    [[nodiscard]] bool CloseRequestQueued() const;
    [[noreturn]] void EndInsideHostCall();
    [[nodiscard]] RunSettings CollectSettings() const;
    [[nodiscard]] ScreenAndWindowSize Sizes() const;
    [[nodiscard]] HWND ToggleControl(Toggle toggle) const noexcept;
    [[nodiscard]] Text ReadVersionBox() const;
    void PaintLamp(HWND lamp) const;

    HINSTANCE instance_;
    DarkTheme* theme_;
    Ports* ports_ = nullptr;
    ProfileStore* store_ = nullptr;
    HWND window_ = nullptr;
    HWND lamp_ = nullptr;
    std::array<HWND, kControlCount> controls_{};
    HWND savedFocus_ = nullptr;
    UniqueFont windowFont_;
    UniqueFont controlFont_;
    UniqueMenu popupMenu_;
    HMENU pathMenu_ = nullptr;
    std::uint32_t lampColor_;
    bool timerEnabled_ = false;
    bool closing_ = false;
    bool destroyed_ = false;
    bool settingsWritten_ = false;
    bool applyingValue_ = false;  // a change made by the program runs its handler itself
    Text lastVersionText_;
};

}  // namespace zo
