#include "ui/win32/error_box.h"

#include "core/app_title.h"
#include "platform/profile.h"
#include "platform/wide.h"

namespace zo {

Text ApplicationTitleText() {
    const Text path = ExecutablePath();
    const auto slash = path.find_last_of(u"\\/:");
    return ApplicationTitle(slash == Text::npos ? TextView(path) : TextView(path).substr(slash + 1));
}

void ShowErrorBox(HWND owner, TextView errorText) noexcept {
    try {
        const std::wstring text = ToWide(ErrorBoxText(errorText));
        const std::wstring title = ToWide(ApplicationTitleText());
        ::MessageBoxW(owner, text.c_str(), title.c_str(), MB_ICONSTOP | MB_OK);
    } catch (...) {
        // Out of memory while reporting: there is nothing left to report with.
        ::MessageBoxW(owner, L"Error", nullptr, MB_ICONSTOP | MB_OK);
    }
}

}  // namespace zo
