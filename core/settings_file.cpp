#include "core/settings_file.h"

namespace zo {
namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool StartsWith(std::string_view bytes, std::string_view mark) noexcept {
    return bytes.substr(0, mark.size()) == mark;
}

}  // namespace

SettingsEncoding ClassifySettingsBytes(const SettingsFileBytes::Contents& contents) noexcept {
    using State = SettingsFileBytes::Contents::State;
    if (contents.state == State::Missing) return SettingsEncoding::Missing;
    const std::string_view bytes = contents.bytes;
    if (bytes.empty()) return SettingsEncoding::Empty;
    if (StartsWith(bytes, kUtf16LeMark) || StartsWith(bytes, kUtf16BeMark)) return SettingsEncoding::Utf16;
    if (StartsWith(bytes, kUtf8Mark)) return SettingsEncoding::Utf8;
    return SettingsEncoding::CodePage;
}

FilePreparation DecideFilePreparation(SettingsEncoding encoding, bool valueFitsCodePage) noexcept {
    switch (encoding) {
        case SettingsEncoding::Missing:
        case SettingsEncoding::Empty:
            return FilePreparation::CreateUnicode;
        case SettingsEncoding::Utf16:
            return FilePreparation::None;
        case SettingsEncoding::Utf8:
            // Not every reader of the profile functions honours this mark; one that does not
            // would write the value in the code page.
        case SettingsEncoding::CodePage:
            return valueFitsCodePage ? FilePreparation::None : FilePreparation::ConvertUnicode;
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

Text FileText(std::string_view bytes, SettingsEncoding encoding, CodePage& codePage) {
    if (encoding == SettingsEncoding::Utf8) return FromUtf8(bytes.substr(kUtf8Mark.size()));
    return codePage.Decode(bytes);
}

LosslessProfileStore::LosslessProfileStore(ProfileStore& profile, SettingsFileBytes& file, CodePage& codePage)
    : profile_(profile), file_(file), codePage_(codePage) {}

Text LosslessProfileStore::ReadString(TextView key, TextView defaultText) {
    return profile_.ReadString(key, defaultText);
}

Text LosslessProfileStore::Path() const { return profile_.Path(); }

bool LosslessProfileStore::WriteString(TextView key, TextView value) {
    Undo undo = Prepare(value);
    if (profile_.WriteString(key, value)) return true;
    if (undo.remove) {
        file_.Remove();
        known_ = Known::Nothing;
    } else if (undo.bytes && file_.Overwrite(*undo.bytes)) {
        known_ = Known::Nothing;
    }
    return false;
}

LosslessProfileStore::Undo LosslessProfileStore::Prepare(TextView value) {
    if (known_ == Known::Unicode) return {};
    if (known_ == Known::NotUnicode && codePage_.Represents(value)) return {};
    const SettingsFileBytes::Contents contents = file_.Read();
    if (contents.state == SettingsFileBytes::Contents::State::Unreadable) return {};  // the write will tell
    const SettingsEncoding encoding = ClassifySettingsBytes(contents);
    const bool fits = encoding == SettingsEncoding::Missing || encoding == SettingsEncoding::Empty ||
                      encoding == SettingsEncoding::Utf16 || codePage_.Represents(value);
    switch (DecideFilePreparation(encoding, fits)) {
        case FilePreparation::None:
            known_ = encoding == SettingsEncoding::Utf16 ? Known::Unicode : Known::NotUnicode;
            return {};
        case FilePreparation::CreateUnicode:
            if (encoding == SettingsEncoding::Missing) {
                // Only a file this write created is ever removed again.
                if (!file_.CreateNew(UnicodeFileBytes(u""))) return {};
                known_ = Known::Unicode;
                return {true, std::nullopt};
            }
            return Replace(contents.bytes, UnicodeFileBytes(u""));
        case FilePreparation::ConvertUnicode:
            return Replace(contents.bytes, UnicodeFileBytes(FileText(contents.bytes, encoding, codePage_)));
    }
    return {};
}

LosslessProfileStore::Undo LosslessProfileStore::Replace(const std::string& before, std::string_view after) {
    if (!file_.Overwrite(after)) return {};
    known_ = Known::Unicode;
    return {false, before};
}

}  // namespace zo
