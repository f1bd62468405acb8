#pragma once
// PopupMenu1, the main window's context menu: KORVA1, N3, AppFullName1 with vexoexe1, N1, and N2
// with the version item. Captions are shown exactly as given: no access keys, no separator
// dropped.
#include <windows.h>

#include "core/text.h"
#include "platform/unique_handle.h"

namespace zo {

class DarkTheme;

class PopupMenu1 {
  public:
    // The command id of KORVA1, the one item with an action.
    static constexpr UINT kKorva1 = 201;

    void Build(DarkTheme* theme);
    // Opens at `screenPoint` for `owner` and returns once the menu has closed; the chosen item's
    // command reaches `owner` as WM_COMMAND.
    void Track(HWND owner, POINT screenPoint) const;
    void SetVexoexe1Caption(TextView caption);

  private:
    UniqueMenu menu_;
    HMENU appFullName1_ = nullptr;  // owned by menu_
};

}  // namespace zo
