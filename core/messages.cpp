#include "core/messages.h"

namespace zo {

namespace {

// A bare line feed, not CR LF: the message box breaks the line on it alone.
constexpr TextView kLineFeed = u"\n";
constexpr TextView kFullWidthStop = u"\uFF0E";
constexpr TextView kIdeographicComma = u"\u3001";

}  // namespace

Text RegisteredMessage(TextView appFullName) {
    Text text{appFullName};
    text += kLineFeed;
    text += u"を登録しました";
    text += kFullWidthStop;
    return text;
}

Text NotRegisteredMessage(TextView versionBoxText) {
    Text text{u"KORVA "};
    text += versionBoxText;
    text += u" が登録されていません";
    text += kIdeographicComma;
    text += kLineFeed;
    text += u"KORVA ";
    text += versionBoxText;
    text += u" が起動中に[登録]ボタンをクリックして下さい";
    text += kFullWidthStop;
    return text;
}

}  // namespace zo
