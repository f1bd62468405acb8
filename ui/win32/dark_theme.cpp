#include "ui/win32/dark_theme.h"

#include <commctrl.h>
#include <dwmapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "core/theme.h"
#include "platform/wide.h"

namespace zo {
namespace {

// Not in every SDK's dwmapi.h; understood from Windows 10 20H1 on, refused harmlessly before.
constexpr DWORD kUseImmersiveDarkMode = 20;

constexpr int kMenuTextIndent = 22;
constexpr int kMenuArrowWidth = 16;
constexpr int kMenuSeparatorHeight = 7;
constexpr int kCheckMarkBox = 13;
constexpr int kCheckTextGap = 4;
constexpr UINT_PTR kCheckBoxSubclassId = 0x5A4F;

BOOL CALLBACK CollectResourceName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR context) noexcept {
    if (IS_INTRESOURCE(name)) return TRUE;
    try {
        reinterpret_cast<std::vector<Text>*>(context)->push_back(FromWide(name));
    } catch (...) {
        return FALSE;  // out of memory: the theme counts as missing
    }
    return TRUE;
}

std::optional<COLORREF> ParseColour(std::string_view hex) {
    if (hex.size() != 6) return std::nullopt;
    unsigned value = 0;
    for (const char c : hex) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

// The palette text: "name=RRGGBB" lines, ";" comments. Every colour must be present.
std::optional<Palette> ParsePalette(std::string_view text) {
    Palette palette;
    const std::array<std::pair<std::string_view, COLORREF*>, 14> slots{{
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
    }};
    std::array<bool, slots.size()> seen{};
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.empty() || line.front() == ';') continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const auto name = line.substr(0, equals);
        const auto colour = ParseColour(line.substr(equals + 1));
        if (!colour) return std::nullopt;
        for (std::size_t i = 0; i < slots.size(); ++i) {
            if (slots[i].first == name) {
                *slots[i].second = *colour;
                seen[i] = true;
            }
        }
    }
    for (const bool present : seen) {
        if (!present) return std::nullopt;
    }
    return palette;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) noexcept {
    const COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) noexcept {
    const UniqueBrush brush(::CreateSolidBrush(colour));
    ::FrameRect(dc, &rect, brush.get());
}

std::wstring MenuItemText(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) return {};
    std::wstring text(info.cch + 1, L'\0');
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) return {};
    text.resize(info.cch);
    return text;
}

UniqueFont MenuFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return UniqueFont(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                                        0, L"Tahoma"));
    }
    return UniqueFont(::CreateFontIndirectW(&metrics.lfMenuFont));
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
        ParsePalette(std::string_view(static_cast<const char*>(data), ::SizeofResource(instance, resource)));
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

void DarkTheme::DarkenCheckBox(HWND checkBox) const noexcept {
    ::SetWindowSubclass(checkBox, CheckBoxProc, kCheckBoxSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK DarkTheme::CheckBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR theme) noexcept {
    const auto* self = reinterpret_cast<const DarkTheme*>(theme);
    switch (message) {
        case WM_PAINT:
            self->PaintCheckBox(box);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(box, CheckBoxProc, kCheckBoxSubclassId);
            break;
        case BM_SETCHECK:
        case BM_SETSTATE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case WM_SETTEXT:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_UPDATEUISTATE: {
            // The control paints its classic face straight away on these, outside WM_PAINT:
            // paint ours over it at once.
            const LRESULT result = ::DefSubclassProc(box, message, wParam, lParam);
            ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            return result;
        }
        default:
            break;
    }
    return ::DefSubclassProc(box, message, wParam, lParam);
}

void DarkTheme::PaintCheckBox(HWND box) const noexcept {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(box, &paint);
    RECT client{};
    ::GetClientRect(box, &client);
    FillSolid(dc, client, palette_.window);

    const auto state = ::SendMessageW(box, BM_GETSTATE, 0, 0);
    const bool checked = (state & BST_CHECKED) != 0;
    const bool pushed = (state & BST_PUSHED) != 0;
    const bool enabled = ::IsWindowEnabled(box) != FALSE;
    const int top = (client.bottom - kCheckMarkBox) / 2;
    const RECT mark{client.left, top, client.left + kCheckMarkBox, top + kCheckMarkBox};
    FillSolid(dc, mark, pushed ? palette_.buttonPressed : palette_.editBack);
    FrameSolid(dc, mark, ::GetFocus() == box ? palette_.focus : palette_.buttonBorder);
    if (checked) {
        const UniquePen pen(::CreatePen(PS_SOLID, 2, enabled ? palette_.text : palette_.disabledText));
        const HGDIOBJ oldPen = ::SelectObject(dc, pen.get());
        const POINT tick[3] = {{mark.left + 3, mark.top + 6}, {mark.left + 5, mark.top + 9}, {mark.left + 10, mark.top + 3}};
        ::Polyline(dc, tick, 3);
        ::SelectObject(dc, oldPen);
    }

    wchar_t caption[64] = {};
    const int length = ::GetWindowTextW(box, caption, 64);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(box, WM_GETFONT, 0, 0));
    const HGDIOBJ oldFont = ::SelectObject(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, enabled ? palette_.text : palette_.disabledText);
    RECT text{mark.right + kCheckTextGap, client.top, client.right, client.bottom};
    ::DrawTextW(dc, caption, length, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (::GetFocus() == box) {
        RECT focus = text;
        ::DrawTextW(dc, caption, length, &focus, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_CALCRECT);
        focus.top = text.top + 1;
        focus.bottom = text.bottom - 1;
        ::InflateRect(&focus, 1, 0);
        ::SetTextColor(dc, palette_.text);
        ::DrawFocusRect(dc, &focus);
    }
    ::SelectObject(dc, oldFont);
    ::EndPaint(box, &paint);
}

void DarkTheme::DrawPushButton(const DRAWITEMSTRUCT& item) const noexcept {
    const HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    FillSolid(dc, rect, pressed ? palette_.buttonPressed : palette_.buttonFace);
    FrameSolid(dc, rect, focused ? palette_.focus : palette_.buttonBorder);

    wchar_t caption[64] = {};
    const int length = ::GetWindowTextW(item.hwndItem, caption, 64);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, disabled ? palette_.disabledText : palette_.text);
    if (pressed) ::OffsetRect(&rect, 1, 1);
    ::DrawTextW(dc, caption, length, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void DarkTheme::PrepareMenu(HMENU menu) {
    MENUINFO menuInfo{};
    menuInfo.cbSize = sizeof menuInfo;
    menuInfo.fMask = MIM_BACKGROUND;
    menuInfo.hbrBack = menuBrush_.get();
    ::SetMenuInfo(menu, &menuInfo);

    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const auto position = static_cast<UINT>(i);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_DATA;
        if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) continue;
        if (info.hSubMenu) PrepareMenu(info.hSubMenu);
        if (info.fType & MFT_OWNERDRAW) continue;
        menuItemPlaces_.push_back(std::make_unique<MenuItemPlace>(MenuItemPlace{menu, position}));
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        info.fType |= MFT_OWNERDRAW;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(menuItemPlaces_.back().get());
        ::SetMenuItemInfoW(menu, position, TRUE, &info);
    }
}

void DarkTheme::MeasureMenuItem(HWND window, MEASUREITEMSTRUCT& item) const noexcept {
    const auto* place = reinterpret_cast<const MenuItemPlace*>(item.itemData);
    if (!place) return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(place->menu, place->position, TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
        item.itemWidth = 1;
        item.itemHeight = kMenuSeparatorHeight;
        return;
    }
    try {
        const std::wstring text = MenuItemText(place->menu, place->position);
        const HDC dc = ::GetDC(window);
        const UniqueFont font = MenuFont();
        const HGDIOBJ old = ::SelectObject(dc, font.get());
        RECT bounds{};
        ::DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &bounds, DT_CALCRECT | DT_SINGLELINE);
        ::SelectObject(dc, old);
        ::ReleaseDC(window, dc);
        item.itemWidth = static_cast<UINT>(bounds.right - bounds.left + kMenuTextIndent + kMenuArrowWidth);
        item.itemHeight = static_cast<UINT>(std::max<LONG>(bounds.bottom - bounds.top + 8, 20));
    } catch (...) {
        item.itemWidth = 120;  // no memory for the text: a plain row keeps the menu usable
        item.itemHeight = 20;
    }
}

void DarkTheme::DrawMenuItem(const DRAWITEMSTRUCT& item) const noexcept {
    const auto* place = reinterpret_cast<const MenuItemPlace*>(item.itemData);
    if (!place) return;
    const HDC dc = item.hDC;
    RECT rect = item.rcItem;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
    ::GetMenuItemInfoW(place->menu, place->position, TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
        FillSolid(dc, rect, palette_.menuBack);
        RECT line{rect.left + 4, (rect.top + rect.bottom) / 2, rect.right - 4, (rect.top + rect.bottom) / 2 + 1};
        FillSolid(dc, line, palette_.menuSeparator);
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillSolid(dc, rect, selected ? palette_.menuSelected : palette_.menuBack);
    try {
        const std::wstring text = MenuItemText(place->menu, place->position);
        const UniqueFont font = MenuFont();
        const HGDIOBJ old = ::SelectObject(dc, font.get());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, (item.itemState & ODS_DISABLED) ? palette_.disabledText : palette_.text);
        RECT textRect{rect.left + kMenuTextIndent, rect.top, rect.right - kMenuArrowWidth, rect.bottom};
        // The menu keeps "&&" for a literal "&"; prefix processing shows it as one, and no
        // caption here has an access key to underline.
        ::DrawTextW(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_HIDEPREFIX);
        ::SelectObject(dc, old);
    } catch (...) {
        // No memory for the text: the row stays blank rather than unwinding into the menu loop.
    }
    if (info.hSubMenu) {
        const int midY = (rect.top + rect.bottom) / 2;
        const int tipX = rect.right - 7;
        const POINT arrow[3] = {{tipX - 4, midY - 4}, {tipX, midY}, {tipX - 4, midY + 4}};
        const UniqueBrush brush(::CreateSolidBrush(palette_.text));
        const UniquePen pen(::CreatePen(PS_SOLID, 1, palette_.text));
        const HGDIOBJ oldBrush = ::SelectObject(dc, brush.get());
        const HGDIOBJ oldPen = ::SelectObject(dc, pen.get());
        ::Polygon(dc, arrow, 3);
        ::SelectObject(dc, oldPen);
        ::SelectObject(dc, oldBrush);
        // The system paints its own (black) submenu arrow after this; keep it off our row.
        ::ExcludeClipRect(dc, rect.right - kMenuArrowWidth, rect.top, rect.right, rect.bottom);
    }
}

}  // namespace zo
