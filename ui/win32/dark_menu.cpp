// The dark theme's menus: every item owner-drawn so that its text is legible on the dark
// background.
#include <algorithm>
#include <string>

#include "ui/win32/dark_paint.h"
#include "ui/win32/dark_theme.h"

namespace zo {
namespace {

constexpr int kMenuTextIndent = 22;
constexpr int kMenuArrowWidth = 16;
constexpr int kMenuSeparatorHeight = 7;

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
        return UniqueFont(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                        0, 0, L"Tahoma"));
    }
    return UniqueFont(::CreateFontIndirectW(&metrics.lfMenuFont));
}

}  // namespace

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
        RECT line{rect.left + 4, (rect.top + rect.bottom) / 2, rect.right - 4,
                  (rect.top + rect.bottom) / 2 + 1};
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
