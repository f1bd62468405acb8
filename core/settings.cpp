#include "core/settings.h"

#include <array>
#include <utility>

#include "core/error.h"
#include "core/placement.h"

namespace zo {

namespace {

constexpr TextView kKeyLeft = u"Left";
constexpr TextView kKeyTop = u"Top";
constexpr TextView kKeyAppFullName = u"AppFullName";
constexpr TextView kKeyVersion = u"Version";
constexpr TextView kKeyShift = u"Shift";
constexpr TextView kKeyCtrl = u"Ctrl";
constexpr TextView kKeyIme = u"IME";
constexpr TextView kKeyOff = u"OFF";

constexpr std::size_t kMaxValueUnits = kProfileValueBufferUnits - 1;

// Handed to the store as the default of the text keys, so a missing key can be told apart from
// one present with an empty value. A profile value is one line of the file, so a text with line
// breaks inside can never come back as a real value; it ends in a visible unit in case a profile
// read trims trailing blanks of a default.
constexpr TextView kMissingSentinel = u"\n<missing>\r\n*";

bool IsBlank(char16_t unit) noexcept { return unit == u' '; }

std::optional<std::uint32_t> HexDigit(char16_t unit) noexcept {
    if (unit >= u'0' && unit <= u'9') return unit - u'0';
    if (unit >= u'a' && unit <= u'f') return unit - u'a' + 10;
    if (unit >= u'A' && unit <= u'F') return unit - u'A' + 10;
    return std::nullopt;
}

bool IsDecimalDigit(char16_t unit) noexcept { return unit >= u'0' && unit <= u'9'; }

std::optional<std::int32_t> ParseHexDigits(TextView digits, bool negative) noexcept {
    if (digits.empty()) return std::nullopt;
    std::uint32_t value = 0;
    int significant = 0;
    for (const char16_t unit : digits) {
        const auto digit = HexDigit(unit);
        if (!digit) return std::nullopt;
        if (significant > 0 || *digit != 0) ++significant;
        if (significant > 8) return std::nullopt;
        value = (value << 4) | *digit;
    }
    // The digits are a 32-bit pattern: "$FFFFFFFF" is -1, and "-" negates that pattern modulo 2^32.
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> ParseDecimalDigits(TextView digits, bool negative) noexcept {
    if (digits.empty()) return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (const char16_t unit : digits) {
        if (!IsDecimalDigit(unit)) return std::nullopt;
        value = value * 10 + (unit - u'0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

Text ReadCut(ProfileStore& store, TextView key, TextView defaultText) {
    Text value = store.ReadString(key, defaultText);
    // The platform's buffer already cuts; a store that does not must still give the same value.
    if (value.size() > kMaxValueUnits) value.resize(kMaxValueUnits);
    return value;
}

std::int32_t ReadInteger(ProfileStore& store, TextView key, std::int32_t defaultValue) {
    return ParseIntegerText(ReadCut(store, key, u"")).value_or(defaultValue);
}

bool ReadBoolean(ProfileStore& store, TextView key) {
    const auto value = ParseIntegerText(ReadCut(store, key, u""));
    return value ? *value != 0 : true;
}

Text ReadText(ProfileStore& store, TextView key, TextView defaultText) {
    Text value = ReadCut(store, key, kMissingSentinel);
    if (value == kMissingSentinel) return Text{defaultText};
    return value;
}

}  // namespace

Text SettingsFileName(TextView executablePath) {
    const auto mark = executablePath.find_last_of(u".\\:");
    Text path{executablePath};
    if (mark != TextView::npos && executablePath[mark] == u'.') path.resize(mark);
    path += u",ini";
    return path;
}

std::optional<std::int32_t> ParseIntegerText(TextView text) noexcept {
    // A leading "0x" reads as "$" only when something could follow it; "0x" alone stays and fails
    // as a decimal with trailing text. After "$" neither blanks nor a sign may come.
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        return ParseHexDigits(text.substr(2), false);
    }

    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        negative = text[at] == u'-';
        ++at;
    }
    const TextView rest = text.substr(at);
    if (!rest.empty() && (rest[0] == u'$' || rest[0] == u'x' || rest[0] == u'X')) {
        return ParseHexDigits(rest.substr(1), negative);
    }
    if (rest.size() >= 2 && rest[0] == u'0' && (rest[1] == u'x' || rest[1] == u'X')) {
        return ParseHexDigits(rest.substr(2), negative);
    }
    return ParseDecimalDigits(rest, negative);
}

Text IntegerText(std::int32_t value) {
    std::array<char16_t, 12> buffer{};
    std::size_t at = buffer.size();
    // Built from the magnitude as unsigned so INT32_MIN needs no special case.
    const auto bits = static_cast<std::uint32_t>(value);
    std::uint32_t magnitude = value < 0 ? 0u - bits : bits;
    do {
        buffer[--at] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) buffer[--at] = u'-';
    return Text{buffer.data() + at, buffer.size() - at};
}

RunSettings LoadSettings(ProfileStore& store, const ScreenAndWindowSize& sizes,
                         const SettingsKeyRead& applyKey) {
    RunSettings settings;
    const auto read = [&](SettingsKey key, auto readValue) {
        readValue();
        if (applyKey) applyKey(key, settings);
    };
    read(SettingsKey::Left, [&] {
        settings.left = ReadInteger(store, kKeyLeft, CentredEdge(sizes.screenWidth, sizes.windowWidth));
    });
    read(SettingsKey::Top, [&] {
        settings.top = ReadInteger(store, kKeyTop, CentredEdge(sizes.screenHeight, sizes.windowHeight));
    });
    read(SettingsKey::AppFullName, [&] { settings.appFullName = ReadText(store, kKeyAppFullName, u""); });
    read(SettingsKey::Version, [&] { settings.version = ReadText(store, kKeyVersion, kDefaultVersion); });
    read(SettingsKey::Shift, [&] { settings.shift = ReadBoolean(store, kKeyShift); });
    read(SettingsKey::Ctrl, [&] { settings.ctrl = ReadBoolean(store, kKeyCtrl); });
    read(SettingsKey::Ime, [&] { settings.ime = ReadBoolean(store, kKeyIme); });
    read(SettingsKey::Off, [&] { settings.off = ReadBoolean(store, kKeyOff); });
    return settings;
}

void SaveSettings(ProfileStore& store, const RunSettings& settings) {
    const auto flag = [](bool on) { return Text{on ? u"1" : u"0"}; };
    const std::array<std::pair<TextView, Text>, 8> entries{{
        {kKeyLeft, IntegerText(settings.left)},
        {kKeyTop, IntegerText(settings.top)},
        {kKeyAppFullName, settings.appFullName},
        {kKeyVersion, settings.version},
        {kKeyShift, flag(settings.shift)},
        {kKeyCtrl, flag(settings.ctrl)},
        {kKeyIme, flag(settings.ime)},
        {kKeyOff, flag(settings.off)},
    }};
    for (const auto& [key, value] : entries) {
        if (!store.WriteString(key, value)) throw Error(store.Path() + u" に書き込めません");
    }
}

}  // namespace zo
