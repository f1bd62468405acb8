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
    // The bytes as the code page's text; nullopt when a byte or sequence has no character in it.
    [[nodiscard]] virtual std::optional<Text> Decode(std::string_view bytes) = 0;
    // The text in the code page's bytes, as the profile functions would store it.
    [[nodiscard]] virtual std::string Encode(TextView text) = 0;
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
    enum class Overwritten {
        No,  // the file could not be opened for it: nothing changed
        Yes,
        Torn,  // opened, but the writing failed: the file may hold anything now
    };
    // Replaces the whole content of the existing file.
    [[nodiscard]] virtual Overwritten Overwrite(std::string_view bytes) = 0;
    virtual void Remove() = 0;
};

enum class SettingsEncoding {
    Missing,     // no file yet
    Empty,       // a file of no bytes: a new file
    Utf16Le,     // starts with the UTF-16LE byte-order mark, the only mark Windows' profile functions honour
    Utf16Be,     // starts with the UTF-16BE mark
    Utf8Marked,  // starts with the UTF-8 mark
    Utf16LeUnmarked,  // UTF-16LE text without a mark, known by its line ends "\n\0"
    Utf8Unmarked,     // valid UTF-8 with multi-byte sequences and no mark, as editors save today
    Unmarked,         // anything else: the profile functions take it as the code page's text
};

[[nodiscard]] SettingsEncoding ClassifySettingsBytes(const SettingsFileBytes::Contents& contents) noexcept;

enum class FilePreparation {
    None,
    CreateUnicode,   // a new file, UTF-16LE from its first byte
    ConvertUnicode,  // the text as it reads now, rewritten in UTF-16LE
};

// How a value stands to the code page the profile functions write it in.
enum class ValueFit {
    Ascii,     // the same bytes in the code page and in UTF-8
    CodePage,  // every character has its own code in the code page
    Unicode,   // some character has none
};

// Before a value is written: a missing or empty file becomes a UTF-16LE file; a file the profile
// functions would misread (another mark, UTF-16 without one) is rewritten in UTF-16LE at once; a
// file in the code page only when the value does not fit it; a UTF-8 file without a mark when the
// value is not ASCII, since the code page's bytes of it would leave a file of two encodings.
[[nodiscard]] FilePreparation DecideFilePreparation(SettingsEncoding encoding, ValueFit fit) noexcept;

// `text` as a UTF-16LE file with its byte-order mark.
[[nodiscard]] std::string UnicodeFileBytes(TextView text);

// The text a file holds, for rewriting it in UTF-16LE: after its mark; without a mark as UTF-8
// when it is valid UTF-8 with multi-byte sequences, else as the code page when that decoding is
// exact. nullopt when the bytes are none of these, or for an encoding that is never converted.
[[nodiscard]] std::optional<Text> FileText(std::string_view bytes, SettingsEncoding encoding,
                                           CodePage& codePage);

// The settings store that keeps every character: before each write the file is prepared as
// DecideFilePreparation says, and a preparation that cannot be made fails the write, so no value
// is ever stored with characters lost. A write that fails after its preparation changed the file
// takes the change back (a file it created is removed, a converted or torn one gets its old
// bytes), so a file that cannot be written receives nothing.
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
    // nullopt when the file cannot take the value without loss; the file is then as it was.
    [[nodiscard]] std::optional<Undo> Prepare(TextView value);
    [[nodiscard]] std::optional<Undo> Replace(const std::string& before, std::string_view after);
    void TakeBack(const Undo& undo);

    ProfileStore& profile_;
    SettingsFileBytes& file_;
    CodePage& codePage_;
    Known known_ = Known::Nothing;  // what the last look at the file found, kept while writes succeed
};

}  // namespace zo
