#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/settings_file.h"

namespace zo {
namespace {

// Stands in for a single-byte code page: each byte is the unit of the same value, and a text
// fits when every unit is below 256 ("é" fits, "図" does not). Byte 0x81 has no character (the
// system refuses it) and byte 0x8D reads as U+FFFD, as a decoding that does not report it would.
class LatinCodePage final : public CodePage {
  public:
    std::optional<Text> Decode(std::string_view bytes) override {
        Text text;
        for (const char byte : bytes) {
            const auto value = static_cast<unsigned char>(byte);
            if (value == 0x81) return std::nullopt;
            text += value == 0x8D ? u'\uFFFD' : static_cast<char16_t>(value);
        }
        return text;
    }
    std::string Encode(TextView text) override {
        std::string bytes;
        for (const char16_t unit : text) bytes += unit > 0xFF ? '?' : static_cast<char>(unit);
        return bytes;
    }
    bool Represents(TextView text) override {
        for (const char16_t unit : text) {
            if (unit > 0xFF) return false;
        }
        return true;
    }
};

// The settings file's bytes in memory; nullopt is no file. `held`: another program has it open
// without sharing writes; `tornAt`: the overwrite numbered so (from 1) stops halfway.
class FakeFile final : public SettingsFileBytes {
  public:
    explicit FakeFile(std::optional<std::string> bytes) : bytes(std::move(bytes)) {}
    Contents Read() override {
        if (unreadable) return {Contents::State::Unreadable, {}};
        if (!bytes) return {Contents::State::Missing, {}};
        return {Contents::State::Read, *bytes};
    }
    bool CreateNew(std::string_view data) override {
        calls.push_back("CreateNew");
        if (bytes || held) return false;
        bytes = std::string(data);
        return true;
    }
    Overwritten Overwrite(std::string_view data) override {
        calls.push_back("Overwrite");
        if (!bytes || held) return Overwritten::No;
        if (++overwrites == tornAt) {
            bytes = std::string(data.substr(0, data.size() / 2));
            return Overwritten::Torn;
        }
        bytes = std::string(data);
        return Overwritten::Yes;
    }
    void Remove() override {
        calls.push_back("Remove");
        bytes.reset();
    }

    std::optional<std::string> bytes;
    std::vector<std::string> calls;
    bool held = false;
    bool unreadable = false;
    int tornAt = 0;
    int overwrites = 0;
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
const std::string kUnmarkedUtf8File = "[Other]\r\nName=\xE5\x9B\xB3\xE9\x9D\xA2 caf\xC3\xA9\r\n";
constexpr TextView kOthersText = u"[Other]\r\nName=図面 café\r\n";

// `text` in UTF-16 of either byte order, with or without its byte-order mark.
std::string Utf16Bytes(TextView text, bool bigEndian, bool marked) {
    std::string bytes;
    if (marked) bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

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
        {"code page, ASCII only, a value outside it", kAsciiFile, kJapanese,
         Utf16File(u"[KORVA]\r\nLeft=10\r\n")},
        {"code page with é, a value that fits", kLatinFile, kLatin, kLatinFile},
        {"code page with é, a value outside it", kLatinFile, kJapanese,
         Utf16File(u"; réglages\r\n[Other]\r\nName=café\r\n[KORVA]\r\nTop=5\r\n")},
        {"UTF-16, own section only", kUtf16Own, kJapanese, kUtf16Own},
        {"UTF-16 with other sections", kUtf16Others, kJapanese, kUtf16Others},
        // Marks that Windows' profile functions do not honour: rewritten at once, whatever the value.
        {"UTF-16 big endian, a value that fits", Utf16Bytes(kOthersText, true, true), kAscii,
         Utf16File(kOthersText)},
        {"UTF-16 big endian, a value outside the code page", Utf16Bytes(kOthersText, true, true), kJapanese,
         Utf16File(kOthersText)},
        {"UTF-8 mark, a value that fits", kUtf8File, kLatin, Utf16File(u"[Other]\r\nName=café\r\n")},
        {"UTF-8 mark, a value outside the code page", kUtf8File, kJapanese,
         Utf16File(u"[Other]\r\nName=café\r\n")},
        {"UTF-16LE without a mark: the mark is put in front", Utf16Bytes(kOthersText, false, false), kAscii,
         Utf16File(kOthersText)},
        {"UTF-16LE without a mark, a character outside the basic plane",
         Utf16Bytes(u"[Other]\r\nName=\U0002000B\r\n", false, false), kJapanese,
         Utf16File(u"[Other]\r\nName=\U0002000B\r\n")},
        // Without a mark, valid UTF-8 with multi-byte sequences is read as UTF-8, although the
        // Latin code page would read the same bytes "exactly" (as "å›³é¢").
        {"UTF-8 without a mark, an ASCII value: the same bytes either way", kUnmarkedUtf8File, kAscii,
         kUnmarkedUtf8File},
        // "é" fits the code page, but its code-page byte would leave a file of two encodings.
        {"UTF-8 without a mark, a value that fits the code page", kUnmarkedUtf8File, kLatin,
         Utf16File(kOthersText)},
        {"UTF-8 without a mark, a value outside the code page", kUnmarkedUtf8File, kJapanese,
         Utf16File(kOthersText)},
        {"ASCII is valid UTF-8 but has no multi-byte sequence: the code page", "[Other]\r\nA=1\r\n",
         kJapanese, Utf16File(u"[Other]\r\nA=1\r\n")},
        {"an overlong form is not UTF-8: the code page", "[O]\r\nA=\xC0\xAF\r\n", kJapanese,
         Utf16File(u"[O]\r\nA=\u00C0\u00AF\r\n")},
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

TEST(LosslessProfileStore, AValueThatTheFileCannotTakeWithoutLossIsNotWritten) {
    constexpr TextView kJapanese = u"C:\\図面ツール\\korva.exe";
    const std::string kOwnLines = "[KORVA]\r\nLeft=10\r\n";
    struct Case {
        const char* what;
        std::string before;
        bool held = false;
        bool unreadable = false;
        int tornAt = 0;
    };
    const Case cases[] = {
        {"a byte the code page has no character for", "[Other]\r\nName=\x81\xE9\r\n" + kOwnLines},
        {"a byte that does not read back as itself", "[Other]\r\nName=\x8D\r\n" + kOwnLines},
        {"a NUL byte in a file that is not UTF-16", std::string{"[Other]\r\nA=\0\r\n", 14} + kOwnLines},
        {"UTF-16 big endian without a mark", Utf16Bytes(kOthersText, true, false)},
        {"UTF-16LE without a mark and without a line end: not told from a byte encoding with NULs",
         Utf16Bytes(u"[Other]", false, false)},
        {"a byte encoding whose first line end happens to be followed by a NUL",
         std::string{"[O]\r\n\0A=1\r\nB", 12}},
        {"a UTF-8 mark over bytes that are not UTF-8", "\xEF\xBB\xBF[Other]\r\nName=\xE9\r\n"},
        {"a UTF-16 big endian mark over an odd number of bytes", std::string{"\xFE\xFF\0[\0", 5}},
        {"held open without write sharing", kLatinFile, true},
        {"an empty file held open", std::string{}, true},
        {"unreadable (too large, or not shared for reading)", kLatinFile, false, true},
        {"the conversion stops halfway: the old bytes go back", kLatinFile, false, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeFile file(c.before);
        file.held = c.held;
        file.unreadable = c.unreadable;
        file.tornAt = c.tornAt;
        FakeProfile profile;
        LatinCodePage codePage;
        LosslessProfileStore store(profile, file, codePage);
        EXPECT_FALSE(store.WriteString(u"AppFullName", kJapanese));
        EXPECT_TRUE(profile.writes.empty()) << "the profile functions would store it best-fit or as ?";
        EXPECT_EQ(file.bytes, c.before);
    }
}

TEST(LosslessProfileStore, AnUnreadableFileIsLeftToTheProfileFunctionsForAValueThatFits) {
    FakeFile file(kLatinFile);
    file.unreadable = true;
    FakeProfile profile;
    LatinCodePage codePage;
    LosslessProfileStore store(profile, file, codePage);
    EXPECT_TRUE(store.WriteString(u"Left", u"10"));
    EXPECT_EQ(profile.writes, std::vector<std::string>{"Left"});
    EXPECT_TRUE(file.calls.empty());
}

TEST(LosslessProfileStore, ARefusedValueEndsTheSavingWithTheError) {
    // Left and Top fit the code page and are written; the path is refused before the profile
    // functions could store it as question marks, and nothing after it is written.
    FakeFile file("[Other]\r\nName=\x81\r\n");
    FakeProfile profile;
    LatinCodePage codePage;
    LosslessProfileStore store(profile, file, codePage);
    RunSettings settings;
    settings.appFullName = u"D:\\図面\\korva.exe";
    try {
        SaveSettings(store, settings);
        ADD_FAILURE() << "SaveSettings reported success";
    } catch (const Error& error) {
        EXPECT_EQ(error.text(), u"C:\\Tools\\ZO24_RAZ,ini に書き込めません");
    }
    EXPECT_EQ(profile.writes, (std::vector<std::string>{"Left", "Top"}));
    EXPECT_EQ(*file.bytes, "[Other]\r\nName=\x81\r\n");
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
        {"no file, the first write fails: the file made for it goes",
         std::nullopt,
         1,
         u"",
         std::nullopt,
         {"CreateNew", "Remove"}},
        {"no file, a later write fails: the keys before it stay",
         std::nullopt,
         3,
         u"",
         std::string{"\xFF\xFE"},
         {"CreateNew"}},
        {"an empty file is never removed", std::string{}, 1, u"", std::string{}, {"Overwrite", "Overwrite"}},
        {"a code page file is never removed", kAsciiFile, 1, u"", kAsciiFile, {}},
        {"a code page file whose conversion was followed by a failed write gets its bytes back",
         kLatinFile,
         3,
         u"D:\\図面\\korva.exe",
         kLatinFile,
         {"Overwrite", "Overwrite"}},
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
        Overwritten Overwrite(std::string_view) override { return Overwritten::No; }
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
