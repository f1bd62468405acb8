#pragma once
// What the profile functions leave undone: a settings file that can hold every character of
// every value written to it, and nothing left behind by a write that failed.
#include <optional>
#include <string>
#include <string_view>

#include "core/settings.h"

namespace zo {

// The code page the profile functions read and write a file in when it has no byte-order mark.
class CodePage {
public:
    virtual ~CodePage() = default;
    [[nodiscard]] virtual Text Decode(std::string_view bytes) = 0;
    // True when every character has its own code in the code page: no default character and
    // no look-alike (best fit) stands in for it.
    [[nodiscard]] virtual bool Represents(TextView text) = 0;
};

// The settings file as bytes.
class SettingsFileBytes {
public:
    virtual ~SettingsFileBytes() = default;
    struct Contents {
        enum class State { Missing, Unreadable, Read } state = State::Missing;
        std::string bytes;
    };
    [[nodiscard]] virtual Contents Read() = 0;
    // Creates the file with `bytes`; false when it exists already or cannot be created.
    [[nodiscard]] virtual bool CreateNew(std::string_view bytes) = 0;
    // Replaces the whole content of the existing file.
    [[nodiscard]] virtual bool Overwrite(std::string_view bytes) = 0;
    virtual void Remove() = 0;
};

enum class SettingsEncoding {
    Missing,   // no file yet
    Empty,     // a file of no bytes: a new file
    Utf16,     // starts with a UTF-16 byte-order mark (little or big endian)
    Utf8,      // starts with the UTF-8 byte-order mark
    CodePage,  // anything else: the profile functions take it as the code page's text
};

[[nodiscard]] SettingsEncoding ClassifySettingsBytes(const SettingsFileBytes::Contents& contents) noexcept;

enum class FilePreparation {
    None,
    CreateUnicode,   // a new file, UTF-16LE from its first byte
    ConvertUnicode,  // the text as it reads now, rewritten in UTF-16LE
};

// Before a value is written: a missing or empty file becomes a UTF-16 file; a file that is not
// in UTF-16 is rewritten in it only when the value does not fit its encoding.
[[nodiscard]] FilePreparation DecideFilePreparation(SettingsEncoding encoding, bool valueFitsCodePage) noexcept;

// `text` as a UTF-16LE file with its byte-order mark.
[[nodiscard]] std::string UnicodeFileBytes(TextView text);

// The text of a file that is not in UTF-16, as the profile functions read it: the code page's,
// or UTF-8 after its byte-order mark.
[[nodiscard]] Text FileText(std::string_view bytes, SettingsEncoding encoding, CodePage& codePage);

// The settings store that keeps every character: before each write the file is prepared as
// DecideFilePreparation says; a write that fails right after its preparation changed the file
// takes the change back (a file it created is removed, a converted one gets its old bytes), so
// a file that cannot be written receives nothing.
class LosslessProfileStore final : public ProfileStore {
public:
    LosslessProfileStore(ProfileStore& profile, SettingsFileBytes& file, CodePage& codePage);

    [[nodiscard]] Text ReadString(TextView key, TextView defaultText) override;
    [[nodiscard]] bool WriteString(TextView key, TextView value) override;
    [[nodiscard]] Text Path() const override;

private:
    struct Undo {
        bool remove = false;
        std::optional<std::string> bytes;
    };
    enum class Known { Nothing, Unicode, NotUnicode };
    [[nodiscard]] Undo Prepare(TextView value);
    [[nodiscard]] Undo Replace(const std::string& before, std::string_view after);

    ProfileStore& profile_;
    SettingsFileBytes& file_;
    CodePage& codePage_;
    Known known_ = Known::Nothing;  // what the last look at the file found, kept while writes succeed
};

}  // namespace zo
