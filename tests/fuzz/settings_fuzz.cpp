// Settings values from arbitrary bytes: the integer text rule and the whole read of the settings
// section, with the properties that must hold for any file content.
//
// Input: up to twelve lines (split at "\n", UTF-8). Lines 1-8 are the values of Left, Top,
// AppFullName, Version, Shift, Ctrl, IME and OFF; a line that is exactly "\x01" stands for a
// missing key, and missing lines are missing keys too. Lines 9-12, when they parse as integers,
// are the screen and window sizes. The first four bytes are also taken as one 32-bit value for
// the written-form round trip.
//
// The ordinary test build runs this through a short standalone driver (CTest settings_fuzz_smoke).
// For a long run with libFuzzer under clang:
//     scripts/fuzz 600            # seconds; corpus grows in build/fuzz-clang/corpus/settings
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "core/settings.h"
#include "core/text.h"

namespace {

using zo::Text;
using zo::TextView;

[[noreturn]] void Fail(const char* what, TextView detail = {}) {
    std::fprintf(stderr, "settings_fuzz: %s [%s]\n", what, zo::ToUtf8(detail).c_str());
    std::abort();
}

void Check(bool ok, const char* what, TextView detail = {}) {
    if (!ok) Fail(what, detail);
}

std::int32_t Wrap(std::uint32_t bits) { return static_cast<std::int32_t>(bits); }

Text HexText(std::uint32_t bits, TextView mark) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    Text text{mark};
    for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(bits >> shift) & 0xF];
    return text;
}

// Properties of the integer text rule for one arbitrary text.
void CheckIntegerRule(TextView text) {
    const auto value = zo::ParseIntegerText(text);

    // Leading blanks never change the result.
    Check(zo::ParseIntegerText(Text{u"  "} + Text{text}) == value, "leading blanks changed the value", text);

    if (value) {
        // Whatever parsed has a written form that reads back the same.
        Check(zo::ParseIntegerText(zo::IntegerText(*value)) == value, "written form did not read back", text);
        // A "-" in front of an unsigned form negates it, modulo 2^32 for the hexadecimal forms.
        if (!text.empty() && text[0] != u' ' && text[0] != u'+' && text[0] != u'-') {
            const auto negated = zo::ParseIntegerText(Text{u"-"} + Text{text});
            Check(negated == Wrap(0u - static_cast<std::uint32_t>(*value)), "negation", text);
        }
    }
    // Nothing with trailing text parses: appending a letter that is no hexadecimal digit fails.
    Check(!zo::ParseIntegerText(Text{text} + u"z"), "trailing text accepted", text);
}

void CheckWrittenForms(std::uint32_t bits) {
    const std::int32_t v = Wrap(bits);
    Check(zo::ParseIntegerText(zo::IntegerText(v)) == v, "decimal written form", zo::IntegerText(v));
    for (const TextView mark : {u"$", u"x", u"X", u"0x", u"0X"}) {
        const Text hex = HexText(bits, mark);
        Check(zo::ParseIntegerText(hex) == v, "hexadecimal form", hex);
    }
}

// The settings section with the fuzz values; a missing key answers with the caller's default.
class MemoryStore : public zo::ProfileStore {
  public:
    std::map<Text, Text> values;
    Text ReadString(TextView key, TextView defaultText) override {
        const auto found = values.find(Text{key});
        return found == values.end() ? Text{defaultText} : found->second;
    }
    bool WriteString(TextView key, TextView value) override {
        values[Text{key}] = Text{value};
        return true;
    }
    Text Path() const override { return u"C:\\fuzz\\ZO24_RAZ,ini"; }
};

constexpr TextView kKeys[] = {u"Left", u"Top", u"AppFullName", u"Version", u"Shift", u"Ctrl", u"IME", u"OFF"};

std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (lines.size() < 12) {
        const auto end = bytes.find('\n');
        lines.push_back(bytes.substr(0, end));
        if (end == std::string_view::npos) break;
        bytes.remove_prefix(end + 1);
    }
    return lines;
}

Text Cut(Text text) {
    if (text.size() > zo::kProfileValueBufferUnits - 1) text.resize(zo::kProfileValueBufferUnits - 1);
    return text;
}

void CheckLoadAndSave(std::string_view bytes) {
    const auto lines = SplitLines(bytes);
    MemoryStore store;
    std::optional<Text> stored[8];
    for (std::size_t i = 0; i < 8 && i < lines.size(); ++i) {
        if (lines[i] == "\x01") continue;
        stored[i] = zo::FromUtf8(lines[i]);
        store.values[Text{kKeys[i]}] = *stored[i];
    }
    std::int32_t size[4] = {1920, 1080, 300, 121};
    for (std::size_t i = 8; i < lines.size(); ++i) {
        if (const auto v = zo::ParseIntegerText(zo::FromUtf8(lines[i]))) size[i - 8] = *v;
    }
    const zo::ScreenAndWindowSize sizes{size[0], size[1], size[2], size[3]};

    zo::RunSettings loaded;
    try {
        loaded = zo::LoadSettings(store, sizes);
    } catch (...) {
        Fail("LoadSettings threw");
    }

    // Each field follows its key's value, or its default when the key is missing or unusable.
    const auto integer = [&](std::size_t i, std::int64_t screen, std::int64_t window) {
        const std::int64_t centred = (screen - window) / 2;
        const auto parsed = stored[i] ? zo::ParseIntegerText(Cut(*stored[i])) : std::nullopt;
        return parsed ? *parsed : static_cast<std::int32_t>(centred);
    };
    Check(loaded.left == integer(0, size[0], size[2]), "Left", stored[0].value_or(u""));
    Check(loaded.top == integer(1, size[1], size[3]), "Top", stored[1].value_or(u""));
    Check(loaded.appFullName == (stored[2] ? Cut(*stored[2]) : Text{}), "AppFullName");
    Check(loaded.version == (stored[3] ? Cut(*stored[3]) : Text{zo::kDefaultVersion}), "Version");
    const bool toggles[4] = {loaded.shift, loaded.ctrl, loaded.ime, loaded.off};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto parsed = stored[4 + i] ? zo::ParseIntegerText(Cut(*stored[4 + i])) : std::nullopt;
        Check(toggles[i] == (parsed ? *parsed != 0 : true), "toggle", kKeys[4 + i]);
    }

    // What was read, written back and read again, is the same record.
    MemoryStore rewritten;
    zo::SaveSettings(rewritten, loaded);
    Check(zo::LoadSettings(rewritten, sizes) == loaded, "save and load did not round-trip");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes{reinterpret_cast<const char*>(data), size};

    CheckIntegerRule(zo::FromUtf8(bytes));
    for (const auto line : SplitLines(bytes)) CheckIntegerRule(zo::FromUtf8(line));

    if (size >= 4) {
        CheckWrittenForms(static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                          static_cast<std::uint32_t>(data[2]) << 16 |
                          static_cast<std::uint32_t>(data[3]) << 24);
    }
    CheckLoadAndSave(bytes);
    return 0;
}
