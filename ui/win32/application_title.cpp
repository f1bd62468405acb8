#include "ui/win32/application_title.h"

#include "core/app_title.h"
#include "platform/module_path.h"

namespace zo {

Text ApplicationTitleText() {
    const Text path = ExecutablePath();
    const auto slash = path.find_last_of(u"\\/:");
    return ApplicationTitle(slash == Text::npos ? TextView(path) : TextView(path).substr(slash + 1));
}

}  // namespace zo
