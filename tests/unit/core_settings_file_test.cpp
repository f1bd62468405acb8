#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/settings_file.h"

namespace zo {
namespace {

// Stands in for a single-byte code page: each byte is the unit of the same value, and a text
// fits when every unit is below 256 ("é" fits, "図" does not).
class LatinCodePage final : public CodePage {
public:
    Text Decode(std::string_view bytes) override {
        Text text;
        for (const char byte : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(byte));
        return text;
    }
    bool Represents(TextView text) override {
        for (const char16_t unit : text) {
            if (unit > 0xFF) return false;
        }
        return true;
    }
};

// The settings file's bytes in memory; nullopt is no file.
class FakeFile final : public SettingsFileBytes {
public:
    explicit FakeFile(std::optional<std::string> bytes) : bytes(std::move(bytes)) {}
    Contents Read() override {
        if (!bytes) return {Contents::State::Missing, {}};
        return {Contents::State::Read, *bytes};
    }
    bool CreateNew(std::string_view data) override {
        calls.push_back("CreateNew");
        if (bytes) return false;
        bytes = std::string(data);
        return true;
    }
    bool Overwrite(std::string_view data) override {
        calls.push_back("Overwrite");
        if (!bytes) return false;
        bytes = std::string(data);
        return true;
    }
    void Remove() override {
        calls.push_back("Remove");
        bytes.reset();
    }

    std::optional<std::string> bytes;
    std::vector<std::string> calls;
};

// The profile functions: records each write; the write numbered `failing` (from 1) fails.
class FakeProfile final : public ProfileStore {
public:
    Text ReadString(TextView, TextView defaultText) override { return Text{defaultText}; }
    bool WriteString(TextView key, TextView) override {
        writes.push_back(ToUtf8(key));
        return static_cast<int>(writes.size()) != failing;
    }
    Text Path() const override { return u"C:\\Tools\\ZO24_RAZ,ini"; }

    int failing = 0;
    std::vector<std::string> writes;
};

// The UTF-16LE file of `text`, byte-order mark first.
std::string Utf16File(TextView text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

const std::string kAsciiFile = "[KORVA]\r\nLeft=10\r\n";
const std::string kLatinFile = "; r\xE9glages\r\n[Other]\r\nName=caf\xE9\r\n[KORVA]\r\nTop=5\r\n";
const std::string kUtf16Own = Utf16File(u"[KORVA]\r\nLeft=10\r\n");
const std::string kUtf16Others = Utf16File(u"[Other]\r\nName=図面\r\n[KORVA]\r\nLeft=10\r\n");
const std::string kUtf8File = "\xEF\xBB\xBF[Other]\r\nName=caf\xC3\xA9\r\n";

TEST(LosslessProfileStore, FileBeforeAValueIsWritten) {
    constexpr TextView kAscii = u"C:\\KORVA\\korva.exe";
    constexpr TextView kLatin = u"C:\\Café\\korva.exe";
    constexpr TextView kJapanese = u"C:\\図面ツール\\korva.exe";
    struct Case {
        const char* what;
        std::optional<std::string> before;
        TextView value;
        std::string after;
    };
    const Case cases[] = {
        {"missing file", std::nullopt, kAscii, "\xFF\xFE"},
        {"missing file, a value outside the code page", std::nullopt, kJapanese, "\xFF\xFE"},
        {"empty file: a new one", std::string{}, kAscii, "\xFF\xFE"},
        {"empty file, a value outside the code page", std::string{}, kJapanese, "\xFF\xFE"},
        {"code page, ASCII only, a value that fits", kAsciiFile, kAscii, kAsciiFile},
        {"code page, ASCII only, é fits", kAsciiFile, kLatin, kAsciiFile},
        {"code page, ASCII only, a value outside it", kAsciiFile, kJapanese, Utf16File(u"[KORVA]\r\nLeft=10\r\n")},
        {"code page with é, a value that fits", kLatinFile, kLatin, kLatinFile},
        {"code page with é, a value outside it", kLatinFile, kJapanese,
         Utf16File(u"; réglages\r\n[Other]\r\nName=café\r\n[KORVA]\r\nTop=5\r\n")},
        {"UTF-16, own section only", kUtf16Own, kJapanese, kUtf16Own},
        {"UTF-16 with other sections", kUtf16Others, kJapanese, kUtf16Others},
        {"UTF-16 big endian", std::string{"\xFE\xFF\0[", 4}, kJapanese, std::string{"\xFE\xFF\0[", 4}},
        {"UTF-8 mark, a value that fits", kUtf8File, kLatin, kUtf8File},
        {"UTF-8 mark, a value outside the code page", kUtf8File, kJapanese, Utf16File(u"[Other]\r\nName=café\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeFile file(c.before);
        FakeProfile profile;
        LatinCodePage codePage;
        LosslessProfileStore store(profile, file, codePage);
        EXPECT_TRUE(store.WriteString(u"AppFullName", c.value));
        EXPECT_EQ(profile.writes, std::vector<std::string>{"AppFullName"});
        ASSERT_TRUE(file.bytes.has_value());
        EXPECT_EQ(*file.bytes, c.after);
    }
}

TEST(LosslessProfileStore, ConvertsWhenTheFirstValueThatDoesNotFitComes) {
    FakeFile file(kLatinFile);
    FakeProfile profile;
    LatinCodePage codePage;
    LosslessProfileStore store(profile, file, codePage);
    RunSettings settings;
    settings.appFullName = u"D:\\図面\\korva.exe";
    settings.version = u"２０２０";  // full-width digits: a second value that does not fit
    SaveSettings(store, settings);
    EXPECT_EQ(profile.writes.size(), 8u);
    EXPECT_EQ(file.calls, std::vector<std::string>{"Overwrite"});
    EXPECT_EQ(*file.bytes, Utf16File(u"; réglages\r\n[Other]\r\nName=café\r\n[KORVA]\r\nTop=5\r\n"));
}

TEST(LosslessProfileStore, AFailedWriteLeavesTheFileAsItWas) {
    struct Case {
        const char* what;
        std::optional<std::string> before;
        int failing;  // which of the eight writes fails
        Text appFullName;
        std::optional<std::string> after;
        std::vector<std::string> fileCalls;
    };
    const Case cases[] = {
        {"no file, the first write fails: the file made for it goes", std::nullopt, 1, u"", std::nullopt,
         {"CreateNew", "Remove"}},
        {"no file, a later write fails: the keys before it stay", std::nullopt, 3, u"", std::string{"\xFF\xFE"},
         {"CreateNew"}},
        {"an empty file is never removed", std::string{}, 1, u"", std::string{}, {"Overwrite", "Overwrite"}},
        {"a code page file is never removed", kAsciiFile, 1, u"", kAsciiFile, {}},
        {"a code page file whose conversion was followed by a failed write gets its bytes back", kLatinFile, 3,
         u"D:\\図面\\korva.exe", kLatinFile, {"Overwrite", "Overwrite"}},
        {"a UTF-16 file is never removed", kUtf16Others, 1, u"", kUtf16Others, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeFile file(c.before);
        FakeProfile profile;
        profile.failing = c.failing;
        LatinCodePage codePage;
        LosslessProfileStore store(profile, file, codePage);
        RunSettings settings;
        settings.appFullName = c.appFullName;
        try {
            SaveSettings(store, settings);
            ADD_FAILURE() << "SaveSettings did not report the failed write";
        } catch (const Error& error) {
            EXPECT_EQ(error.text(), u"C:\\Tools\\ZO24_RAZ,ini に書き込めません");
        }
        EXPECT_EQ(profile.writes.size(), static_cast<std::size_t>(c.failing));
        EXPECT_EQ(file.bytes, c.after);
        EXPECT_EQ(file.calls, c.fileCalls);
    }
}

TEST(LosslessProfileStore, AFileThatCannotBeCreatedIsNotRemoved) {
    // Another program made the file between the look and the creation: it is not ours to remove.
    class RacingFile final : public SettingsFileBytes {
    public:
        Contents Read() override { return {}; }
        bool CreateNew(std::string_view) override { return false; }
        bool Overwrite(std::string_view) override { return false; }
        void Remove() override { removed = true; }
        bool removed = false;
    } file;
    FakeProfile profile;
    profile.failing = 1;
    LatinCodePage codePage;
    LosslessProfileStore store(profile, file, codePage);
    EXPECT_FALSE(store.WriteString(u"Left", u"10"));
    EXPECT_FALSE(file.removed);
}

}  // namespace
}  // namespace zo
