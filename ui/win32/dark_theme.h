#pragma once
// The "Windows10 Dark" look: a palette carried in the executable as a resource, and the drawing
// of the parts that the system would otherwise paint light (buttons, menus, list rows).
#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/unique_handle.h"

namespace zo {

struct Palette {
    COLORREF window = 0;
    COLORREF text = 0;
    COLORREF disabledText = 0;
    COLORREF buttonFace = 0;
    COLORREF buttonPressed = 0;
    COLORREF buttonBorder = 0;
    COLORREF focus = 0;
    COLORREF editBack = 0;
    COLORREF menuBack = 0;
    COLORREF menuSelected = 0;
    COLORREF menuSeparator = 0;
    COLORREF listBack = 0;
    COLORREF listSelectedBack = 0;
    COLORREF listSelectedText = 0;
};

class DarkTheme {
  public:
    // The theme of that name among those the executable carries; nullopt when there is none or
    // its palette cannot be read.
    [[nodiscard]] static std::optional<DarkTheme> Load(HINSTANCE instance);

    explicit DarkTheme(const Palette& palette);

    [[nodiscard]] const Palette& palette() const noexcept { return palette_; }
    [[nodiscard]] HBRUSH WindowBrush() const noexcept { return windowBrush_.get(); }
    [[nodiscard]] HBRUSH ListBrush() const noexcept { return listBrush_.get(); }

    // Dark title bar where the desktop window manager offers one; older systems keep theirs.
    static void DarkenTitleBar(HWND window) noexcept;
    // Controls whose visual style ignores the colours of WM_CTLCOLOR* are drawn classically.
    static void UseClassicLook(HWND control) noexcept;

    // WM_CTLCOLORSTATIC / WM_CTLCOLORBTN / WM_CTLCOLORDLG: text on the window background.
    [[nodiscard]] HBRUSH ColourStatic(HDC dc) const noexcept;
    // WM_CTLCOLOREDIT.
    [[nodiscard]] HBRUSH ColourEdit(HDC dc) const noexcept;

    // Check boxes keep their own state and keyboard handling; only their painting is ours.
    void DarkenCheckBox(HWND checkBox) const noexcept;

    // Owner-drawn push button.
    void DrawPushButton(const DRAWITEMSTRUCT& item) const noexcept;

    // Menus: every item is owner-drawn so that its text is legible on the dark background.
    // Call again after items were added; a changed item text needs nothing.
    void PrepareMenu(HMENU menu);
    void MeasureMenuItem(HWND window, MEASUREITEMSTRUCT& item) const noexcept;
    void DrawMenuItem(const DRAWITEMSTRUCT& item) const noexcept;

  private:
    static LRESULT CALLBACK CheckBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR theme) noexcept;
    void PaintCheckBox(HWND box) const noexcept;

    // Where an owner-drawn item finds its text: the menu keeps the text, the item its place.
    struct MenuItemPlace {
        HMENU menu;
        UINT position;
    };

    Palette palette_;
    std::vector<std::unique_ptr<MenuItemPlace>> menuItemPlaces_;
    UniqueBrush windowBrush_;
    UniqueBrush editBrush_;
    UniqueBrush listBrush_;
    UniqueBrush menuBrush_;
};

}  // namespace zo
