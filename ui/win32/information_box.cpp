#include "ui/win32/information_box.h"

#include "platform/unique_handle.h"
#include "platform/wide.h"
#include "ui/win32/application_title.h"
#include "ui/win32/centre_on_screen.h"

namespace zo {
namespace {

// The hook only lives for one MessageBoxW call on this thread; the box is the first window
// that gets activated while it runs.
thread_local bool tBoxPlaced = false;

LRESULT CALLBACK CentreBoxOnActivate(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_ACTIVATE && !tBoxPlaced) {
        const auto box = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        ::GetClassNameW(box, className, 16);
        if (std::wstring_view(className) == L"#32770") {
            tBoxPlaced = true;
            CentreOnScreen(box);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void ShowCentredInformation(HWND owner, TextView text) {
    const std::wstring wideText = ToWide(text);
    const std::wstring title = ToWide(ApplicationTitleText());
    tBoxPlaced = false;
    const UniqueHook hook(::SetWindowsHookExW(WH_CBT, CentreBoxOnActivate, nullptr, ::GetCurrentThreadId()));
    ::MessageBoxW(owner, wideText.c_str(), title.c_str(), MB_OK);
}

}  // namespace zo
