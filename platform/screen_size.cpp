#include "platform/screen_size.h"

#include <windows.h>

namespace zo {

std::int32_t PrimaryScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
std::int32_t PrimaryScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

}  // namespace zo
