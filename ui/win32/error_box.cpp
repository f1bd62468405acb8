#include "ui/win32/error_box.h"

#include <new>

#include "core/app_title.h"
#include "platform/wide.h"
#include "ui/win32/application_title.h"

namespace zo {

Text FailureText(const std::exception_ptr& failure) noexcept {
    try {
        try {
            if (failure) std::rethrow_exception(failure);
        } catch (const Error& error) {
            return error.text();
        } catch (const std::bad_alloc&) {
            // Its own description is an implementation's internal name.
            return u"Out of memory";
        } catch (const std::exception& error) {
            return FromUtf8(error.what());
        } catch (...) {
        }
        return u"Unexpected error";
    } catch (...) {
        return {};  // no memory left even for the text
    }
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
