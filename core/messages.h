#pragma once
#include "core/text.h"

namespace zo {

// "<path>\nを登録しました．"
[[nodiscard]] Text RegisteredMessage(TextView appFullName);

// "KORVA <v> が登録されていません、\nKORVA <v> が起動中に[登録]ボタンをクリックして下さい．"
[[nodiscard]] Text NotRegisteredMessage(TextView versionBoxText);

}  // namespace zo
