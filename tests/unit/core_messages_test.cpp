#include <gtest/gtest.h>

#include "core/messages.h"

namespace zo {
namespace {

TEST(Messages, Registered) {
    EXPECT_EQ(RegisteredMessage(u"C:\\Program Files\\KORVA 2020\\korva.exe"),
              u"C:\\Program Files\\KORVA 2020\\korva.exe\nを登録しました\uFF0E");
    EXPECT_EQ(RegisteredMessage(u"D:\\図面ツール\\korva.exe"),
              u"D:\\図面ツール\\korva.exe\nを登録しました\uFF0E");
}

TEST(Messages, NotRegisteredPutsTheVersionBetweenBlanks) {
    EXPECT_EQ(NotRegisteredMessage(u"2020"),
              u"KORVA 2020 が登録されていません\u3001\n"
              u"KORVA 2020 が起動中に[登録]ボタンをクリックして下さい\uFF0E");
    EXPECT_EQ(NotRegisteredMessage(u""),
              u"KORVA  が登録されていません\u3001\n"
              u"KORVA  が起動中に[登録]ボタンをクリックして下さい\uFF0E");
}

}  // namespace
}  // namespace zo
