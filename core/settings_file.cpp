#include "core/settings_file.h"

#include <algorithm>

namespace zo {
namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool StartsWith(std::string_view bytes, std::string_view mark) noexcept {
    return bytes.substr(0, mark.size()) == mark;
}

unsigned Byte(std::string_view bytes, std::size_t at) noexcept {
    return static_cast<unsigned char>(bytes[at]);
}

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view bytes, bool& multiByte) noexcept {
    multiByte = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned lead = Byte(bytes, i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned low = 0x80;
        unsigned high = 0xBF;  // the range of the second byte, narrowed where forms are forbidden
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (i + length > bytes.size()) return false;
        const unsigned second = Byte(bytes, i + 1);
        if (second < low || second > high) return false;
        for (std::size_t k = 2; k < length; ++k) {
            if ((Byte(bytes, i + k) & 0xC0) != 0x80) return false;
        }
        multiByte = true;
        i += length;
    }
    return true;
}

Text Utf16Units(std::string_view bytes, bool bigEndian) {
    Text text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned first = Byte(bytes, i);
        const unsigned second = Byte(bytes, i + 1);
        text += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

// UTF-16LE text without a mark, told by its line ends: every 0x0A byte of the file is the low
// half of a unit U+000A (a line end of a byte encoding is followed by the next line's first byte,
// never by a NUL, and UTF-16BE has the NUL first), and there is at least one. Beyond that, only
// what a text file holds: surrogates in pairs, no NUL unit and no control character but tab and
// line ends. A file in doubt is not taken for UTF-16: it is then refused, not garbled.
bool IsUnmarkedUtf16Le(std::string_view bytes) noexcept {
    if (bytes.size() % 2 != 0) return false;
    const auto unitAt = [bytes](std::size_t i) { return Byte(bytes, i) | (Byte(bytes, i + 1) << 8); };
    bool lineEnd = false;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const unsigned unit = unitAt(i);
        if (Byte(bytes, i + 1) == 0x0A || (Byte(bytes, i) == 0x0A && unit != u'\n')) return false;
        if (unit == u'\n') lineEnd = true;
        if (unit < 0x20 && unit != u'\t' && unit != u'\r' && unit != u'\n') return false;
        if (unit == 0xFFFE || unit == 0xFFFF) return false;
        if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 2 >= bytes.size()) return false;
            const unsigned next = unitAt(i + 2);
            if (next < 0xDC00 || next > 0xDFFF) return false;
            i += 2;
        }
    }
    return lineEnd;
}

// The code page's reading of `bytes`, only when it is the one reading: no NUL (no text file in
// a byte encoding has one), the system knows every byte, and writing the text back gives the very
// same bytes.
std::optional<Text> ExactCodePageText(std::string_view bytes, CodePage& codePage) {
    if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
    std::optional<Text> text = codePage.Decode(bytes);
    if (!text || (text->empty() && !bytes.empty())) return std::nullopt;
    if (codePage.Encode(*text) != bytes) return std::nullopt;
    return text;
}

}  // namespace

SettingsEncoding ClassifySettingsBytes(const SettingsFileBytes::Contents& contents) noexcept {
    using State = SettingsFileBytes::Contents::State;
    if (contents.state == State::Missing) return SettingsEncoding::Missing;
    const std::string_view bytes = contents.bytes;
    if (bytes.empty()) return SettingsEncoding::Empty;
    if (StartsWith(bytes, kUtf16LeMark)) return SettingsEncoding::Utf16Le;
    if (StartsWith(bytes, kUtf16BeMark)) return SettingsEncoding::Utf16Be;
    if (StartsWith(bytes, kUtf8Mark)) return SettingsEncoding::Utf8Marked;
    if (IsUnmarkedUtf16Le(bytes)) return SettingsEncoding::Utf16LeUnmarked;
    // Such bytes would also read "exactly" in a Western code page, each character as two or
    // three wrong ones, so UTF-8 is looked for first.
    bool multiByte = false;
    if (IsUtf8(bytes, multiByte) && multiByte) return SettingsEncoding::Utf8Unmarked;
    return SettingsEncoding::Unmarked;
}

FilePreparation DecideFilePreparation(SettingsEncoding encoding, ValueFit fit) noexcept {
    switch (encoding) {
        case SettingsEncoding::Missing:
        case SettingsEncoding::Empty:
            return FilePreparation::CreateUnicode;
        case SettingsEncoding::Utf16Le:
            return FilePreparation::None;
        case SettingsEncoding::Utf16Be:
        case SettingsEncoding::Utf8Marked:
        case SettingsEncoding::Utf16LeUnmarked:
            // Windows' profile functions read these as the code page's text: the first write would
            // miss the section that is there and append another one in the code page.
            return FilePreparation::ConvertUnicode;
        case SettingsEncoding::Utf8Unmarked:
            return fit == ValueFit::Ascii ? FilePreparation::None : FilePreparation::ConvertUnicode;
        case SettingsEncoding::Unmarked:
            return fit == ValueFit::Unicode ? FilePreparation::ConvertUnicode : FilePreparation::None;
    }
    return FilePreparation::None;
}

std::string UnicodeFileBytes(TextView text) {
    std::string bytes{kUtf16LeMark};
    bytes.reserve(kUtf16LeMark.size() + 2 * text.size());
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::optional<Text> FileText(std::string_view bytes, SettingsEncoding encoding, CodePage& codePage) {
    bool multiByte = false;
    switch (encoding) {
        case SettingsEncoding::Utf8Marked:
            bytes.remove_prefix(kUtf8Mark.size());
            if (!IsUtf8(bytes, multiByte)) return std::nullopt;
            return FromUtf8(bytes);
        case SettingsEncoding::Utf16Be:
            bytes.remove_prefix(kUtf16BeMark.size());
            if (bytes.size() % 2 != 0) return std::nullopt;
            return Utf16Units(bytes, true);
        case SettingsEncoding::Utf16LeUnmarked:
            return Utf16Units(bytes, false);
        case SettingsEncoding::Utf8Unmarked:
            return FromUtf8(bytes);
        case SettingsEncoding::Unmarked:
            return ExactCodePageText(bytes, codePage);
        case SettingsEncoding::Missing:
        case SettingsEncoding::Empty:
        case SettingsEncoding::Utf16Le:
            break;
    }
    return std::nullopt;
}

LosslessProfileStore::LosslessProfileStore(ProfileStore& profile, SettingsFileBytes& file, CodePage& codePage)
    : profile_(profile), file_(file), codePage_(codePage) {}

Text LosslessProfileStore::ReadString(TextView key, TextView defaultText) {
    return profile_.ReadString(key, defaultText);
}

Text LosslessProfileStore::Path() const { return profile_.Path(); }

bool LosslessProfileStore::WriteString(TextView key, TextView value) {
    const std::optional<Undo> undo = Prepare(value);
    if (!undo) return false;
    if (profile_.WriteString(key, value)) return true;
    TakeBack(*undo);
    return false;
}

void LosslessProfileStore::TakeBack(const Undo& undo) {
    if (undo.remove) {
        file_.Remove();
    } else if (undo.bytes) {
        static_cast<void>(file_.Overwrite(*undo.bytes));  // the failed write is reported either way
    } else {
        return;
    }
    known_ = Known::Nothing;
}

std::optional<LosslessProfileStore::Undo> LosslessProfileStore::Prepare(TextView value) {
    if (known_ == Known::Unicode) return Undo{};
    const bool ascii = std::all_of(value.begin(), value.end(), [](char16_t unit) { return unit < 0x80; });
    const bool fits = ascii || codePage_.Represents(value);
    if (known_ == Known::NotUnicode && fits) return Undo{};
    const SettingsFileBytes::Contents contents = file_.Read();
    if (contents.state == SettingsFileBytes::Contents::State::Unreadable) {
        // What the file holds is unknown: a value in the code page is safe in any file the profile
        // functions read, and their write tells whether it took it; any other value could be lost.
        if (fits) return Undo{};
        return std::nullopt;
    }
    const SettingsEncoding encoding = ClassifySettingsBytes(contents);
    const ValueFit fit = ascii ? ValueFit::Ascii : fits ? ValueFit::CodePage : ValueFit::Unicode;
    switch (DecideFilePreparation(encoding, fit)) {
        case FilePreparation::None:
            // A UTF-8 file stays unknown: the next value that is not ASCII converts it.
            if (encoding == SettingsEncoding::Utf16Le) known_ = Known::Unicode;
            if (encoding != SettingsEncoding::Utf16Le && encoding != SettingsEncoding::Utf8Unmarked) {
                known_ = Known::NotUnicode;
            }
            return Undo{};
        case FilePreparation::CreateUnicode:
            if (encoding == SettingsEncoding::Missing) {
                // Only a file this write created is ever removed again.
                if (!file_.CreateNew(UnicodeFileBytes(u""))) return std::nullopt;
                known_ = Known::Unicode;
                return Undo{true, std::nullopt};
            }
            return Replace(contents.bytes, UnicodeFileBytes(u""));
        case FilePreparation::ConvertUnicode: {
            const std::optional<Text> text = FileText(contents.bytes, encoding, codePage_);
            if (!text) return std::nullopt;  // neither UTF-8 nor the code page: left as it is
            return Replace(contents.bytes, UnicodeFileBytes(*text));
        }
    }
    return std::nullopt;
}

std::optional<LosslessProfileStore::Undo> LosslessProfileStore::Replace(const std::string& before,
                                                                        std::string_view after) {
    switch (file_.Overwrite(after)) {
        case SettingsFileBytes::Overwritten::Yes:
            known_ = Known::Unicode;
            return Undo{false, before};
        case SettingsFileBytes::Overwritten::Torn:
            TakeBack(Undo{false, before});
            return std::nullopt;
        case SettingsFileBytes::Overwritten::No:
            break;
    }
    return std::nullopt;
}

}  // namespace zo
