#include "ui/win32/dark_theme.h"

#include <dwmapi.h>
#include <uxtheme.h>

#include <string_view>
#include <vector>

#include "core/theme.h"
#include "platform/wide.h"

namespace zo {
namespace {

// Not in every SDK's dwmapi.h; understood from Windows 10 20H1 on, refused harmlessly before.
constexpr DWORD kUseImmersiveDarkMode = 20;

BOOL CALLBACK CollectResourceName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR context) noexcept {
    if (IS_INTRESOURCE(name)) return TRUE;
    try {
        reinterpret_cast<std::vector<Text>*>(context)->push_back(FromWide(name));
    } catch (...) {
        return FALSE;  // out of memory: the theme counts as missing
    }
    return TRUE;
}

// The palette resource: every colour of Palette, by name, as RRGGBB.
std::optional<Palette> ReadPalette(std::string_view text) {
    Palette palette;
    const std::pair<std::string_view, COLORREF*> slots[] = {
        {"window", &palette.window},
        {"text", &palette.text},
        {"disabledText", &palette.disabledText},
        {"buttonFace", &palette.buttonFace},
        {"buttonPressed", &palette.buttonPressed},
        {"buttonBorder", &palette.buttonBorder},
        {"focus", &palette.focus},
        {"editBack", &palette.editBack},
        {"menuBack", &palette.menuBack},
        {"menuSelected", &palette.menuSelected},
        {"menuSeparator", &palette.menuSeparator},
        {"listBack", &palette.listBack},
        {"listSelectedBack", &palette.listSelectedBack},
        {"listSelectedText", &palette.listSelectedText},
    };
    std::vector<std::string_view> names;
    for (const auto& slot : slots) names.push_back(slot.first);
    const auto colours = ParsePaletteText(text, names);
    if (!colours) return std::nullopt;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::uint32_t rgb = (*colours)[i];
        *slots[i].second = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    return palette;
}

}  // namespace

std::optional<DarkTheme> DarkTheme::Load(HINSTANCE instance) {
    std::vector<Text> names;
    ::EnumResourceNamesW(instance, RT_RCDATA, CollectResourceName, reinterpret_cast<LONG_PTR>(&names));
    const auto found = FindTheme(names, kThemeName);
    if (!found) return std::nullopt;
    const std::wstring name = ToWide(names[*found]);
    const HRSRC resource = ::FindResourceW(instance, name.c_str(), RT_RCDATA);
    const HGLOBAL loaded = resource ? ::LoadResource(instance, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) return std::nullopt;
    const auto palette =
        ReadPalette(std::string_view(static_cast<const char*>(data), ::SizeofResource(instance, resource)));
    if (!palette) return std::nullopt;
    return std::optional<DarkTheme>(std::in_place, *palette);
}

DarkTheme::DarkTheme(const Palette& palette)
    : palette_(palette),
      windowBrush_(::CreateSolidBrush(palette.window)),
      editBrush_(::CreateSolidBrush(palette.editBack)),
      listBrush_(::CreateSolidBrush(palette.listBack)),
      menuBrush_(::CreateSolidBrush(palette.menuBack)) {}

void DarkTheme::DarkenTitleBar(HWND window) noexcept {
    const BOOL dark = TRUE;
    ::DwmSetWindowAttribute(window, kUseImmersiveDarkMode, &dark, sizeof dark);
}

void DarkTheme::UseClassicLook(HWND control) noexcept { ::SetWindowTheme(control, L"", L""); }

HBRUSH DarkTheme::ColourStatic(HDC dc) const noexcept {
    ::SetTextColor(dc, palette_.text);
    ::SetBkColor(dc, palette_.window);
    return windowBrush_.get();
}

HBRUSH DarkTheme::ColourEdit(HDC dc) const noexcept {
    ::SetTextColor(dc, palette_.text);
    ::SetBkColor(dc, palette_.editBack);
    return editBrush_.get();
}

}  // namespace zo
