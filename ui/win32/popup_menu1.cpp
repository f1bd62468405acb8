#include "ui/win32/popup_menu1.h"

#include <string>

#include "platform/fault_injection.h"
#include "platform/system_error.h"
#include "platform/wide.h"
#include "ui/win32/dark_theme.h"

namespace zo {
namespace {

constexpr UINT kVexoexe1 = 202;
constexpr UINT kDired14202401101 = 203;

// A menu item caption shows "&" itself, not as an access-key mark.
std::wstring LiteralMenuText(TextView text) {
    std::wstring escaped;
    for (const char16_t unit : text) {
        escaped += static_cast<wchar_t>(unit);
        if (unit == u'&') escaped += L'&';
    }
    return escaped;
}

void AppendMenuText(HMENU menu, UINT id, const std::wstring& text, HMENU subMenu = nullptr) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID | (subMenu ? MIIM_SUBMENU : 0u);
    info.fType = MFT_STRING;
    info.fState = MFS_ENABLED;
    info.wID = id;
    info.hSubMenu = subMenu;
    std::wstring copy = text;
    info.dwTypeData = copy.data();
    if (!::InsertMenuItemW(menu, static_cast<UINT>(::GetMenuItemCount(menu)), TRUE, &info)) {
        throw LastError(u"InsertMenuItemW");
    }
}

void AppendSeparator(HMENU menu) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    info.fType = MFT_SEPARATOR;
    if (!::InsertMenuItemW(menu, static_cast<UINT>(::GetMenuItemCount(menu)), TRUE, &info)) {
        throw LastError(u"InsertMenuItemW");
    }
}

}  // namespace

void PopupMenu1::Build(DarkTheme* theme) {
    FailIfAsked("menu");
    menu_.reset(::CreatePopupMenu());
    UniqueMenu appFullName1(::CreatePopupMenu());
    UniqueMenu n2(::CreatePopupMenu());
    if (!menu_ || !appFullName1 || !n2) throw LastError(u"CreatePopupMenu");
    AppendMenuText(appFullName1.get(), kVexoexe1, L"vexo.exe");
    AppendMenuText(n2.get(), kDired14202401101, L"ZO24_RAZ 1.02 (2024.09.09)");

    const HMENU menu = menu_.get();
    AppendMenuText(menu, kKorva1, L"\u8D77\u52D5\u4E2D\u306E KORVA \u3092\u767B\u9332");  // KORVA1
    AppendSeparator(menu);                                                                // N3
    appFullName1_ = appFullName1.get();
    AppendMenuText(menu, 0, L"AppFullName", appFullName1.release());  // the menu owns its submenus now
    AppendSeparator(menu);                                            // N1
    AppendMenuText(menu, 0, L"\u30D0\u30FC\u30B8\u30E7\u30F3\u60C5\u5831", n2.release());  // N2
    if (theme) theme->PrepareMenu(menu);
}

void PopupMenu1::Track(HWND owner, POINT screenPoint) const {
    ::TrackPopupMenuEx(menu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenPoint.x,
                       screenPoint.y, owner, nullptr);
}

void PopupMenu1::SetVexoexe1Caption(TextView caption) {
    std::wstring text = LiteralMenuText(caption);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    if (!::SetMenuItemInfoW(appFullName1_, 0, TRUE, &info)) throw LastError(u"SetMenuItemInfoW");
}

}  // namespace zo
