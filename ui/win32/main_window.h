#pragma once
// The companion window "TKV24RUNForm": its controls, timer and context menu, and the Win32 side
// of MainWindowView. The window procedure only dispatches to the named handlers.
#include <windows.h>

#include <array>
#include <optional>

#include "core/settings.h"
#include "platform/unique_handle.h"
#include "ui/ports.h"
#include "ui/win32/owned_window.h"
#include "ui/win32/popup_menu1.h"
#include "ui/win32/shape1.h"

namespace zo {

class DarkTheme;

inline constexpr const wchar_t* kMainWindowClass = L"TKV24RUNForm";

class MainWindow final : public MainWindowView {
  public:
    MainWindow(HINSTANCE instance, DarkTheme* theme);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window hidden; FormCreate runs inside with `ports` and `store`. A failure of
    // any step (class, controls, fonts, menu, theme) leaves no window and is thrown.
    void Create(Ports& ports, ProfileStore& store);
    // Shows the window: from now on its destruction writes the settings.
    void Show();
    // Destroys the window (FormDestroy writes the settings once it was shown) unless that
    // already happened.
    void Destroy() noexcept;
    [[nodiscard]] HWND hwnd() const noexcept { return window_; }

    // MainWindowView
    [[nodiscard]] WindowHandle Handle() override;
    [[nodiscard]] Text Caption() override;
    void SetCaption(TextView caption) override;
    [[nodiscard]] std::uint32_t Shape1Color() override;
    void SetShape1Color(std::uint32_t color) override;
    [[nodiscard]] bool IsTicked(Toggle toggle) override;
    [[nodiscard]] Text VersionBoxText() override;
    void SetTimer1Enabled(bool enabled) override;
    void Close() override;
    void SetVexoexe1Caption(TextView path) override;
    void SetLeft(std::int32_t left) override;
    void SetTop(std::int32_t top) override;
    void SetVersionBoxText(TextView text) override;
    void SetTicked(Toggle toggle, bool ticked) override;
    void ShowInformation(TextView text) override;

  private:
    // Timer1 runs the monitor cycle.
    static constexpr UINT_PTR kTimer1 = 1;
    static constexpr UINT kTimer1IntervalMs = 100;

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
    static void RegisterClasses(HINSTANCE instance);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnTimer(UINT_PTR id);
    [[nodiscard]] bool OnDrawItem(const DRAWITEMSTRUCT& item);
    [[nodiscard]] bool OnMeasureItem(MEASUREITEMSTRUCT& item);
    [[nodiscard]] HBRUSH OnCtlColor(UINT message, HDC dc);
    void OnClose();
    void OnEndSession(bool ending);
    void OnHostCallWatch();
    void OnDestroy();
    void CreateControls();
    void OnCommand(int id, int code, HWND control);
    void OnControlCommand(Control control, int code);
    void OnActivate(bool active);
    void OnContextMenu(LPARAM lParam);
    void FormDestroy();
    void WriteSettingsOnce();
    void EndingInsideHostCall();
    [[nodiscard]] RunSettings CollectSettings() const;
    [[nodiscard]] ScreenAndWindowSize Sizes() const;
    [[nodiscard]] HWND ToggleControl(Toggle toggle) const noexcept;
    [[nodiscard]] Text ReadVersionBox() const;

    HINSTANCE instance_;
    DarkTheme* theme_;
    Ports* ports_ = nullptr;
    ProfileStore* store_ = nullptr;
    HWND window_ = nullptr;
    Shape1 shape1_;
    std::array<HWND, kControlCount> controls_{};
    HWND savedFocus_ = nullptr;
    UniqueFont windowFont_;
    UniqueFont controlFont_;
    PopupMenu1 popupMenu1_;
    bool timer1Enabled_ = false;
    bool destroyed_ = false;
    bool shown_ = false;  // start-up got through: an end from now on writes the settings
    CreationFailure creationFailure_;
    // The program's own write of the version box is no user's change: FormCreate decides then
    // whether Edit2Change runs.
    bool writingVersionBox_ = false;
    bool settingsWritten_ = false;  // written once, also when the program ends inside a host call
};

}  // namespace zo
