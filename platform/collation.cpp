#include "platform/collation.h"

#include <windows.h>

#include "core/text_compare.h"
#include "platform/wide.h"

namespace zo {

int CompareForUser(TextView a, TextView b) {
    const std::wstring left = ToWide(a);
    const std::wstring right = ToWide(b);
    const int result = ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE | LINGUISTIC_IGNORECASE,
                                         left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                         static_cast<int>(right.size()), nullptr, nullptr, 0);
    if (result == 0) return CompareIgnoringCase(a, b);  // unknown locale: plain folding still orders
    return result - CSTR_EQUAL;
}

}  // namespace zo
