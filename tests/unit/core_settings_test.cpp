#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/settings.h"

namespace zo {
namespace {

TEST(SettingsFileName, ExtensionReplacedByCommaIni) {
    const struct {
        TextView exe;
        TextView expected;
    } cases[] = {
        {u"C:\\Tools\\ZO24_RAZ.exe", u"C:\\Tools\\ZO24_RAZ,ini"},
        {u"C:\\Tools\\runner", u"C:\\Tools\\runner,ini"},
        {u"C:\\Old.Tools\\runner", u"C:\\Old.Tools\\runner,ini"},
        {u"C:\\Tools\\a.b.exe", u"C:\\Tools\\a.b,ini"},
        {u"C:", u"C:,ini"},
        {u"C:runner.exe", u"C:runner,ini"},
        {u"D:\\図面\\ZO24_RAZ.exe", u"D:\\図面\\ZO24_RAZ,ini"},
        {u"", u",ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.exe));
        EXPECT_EQ(SettingsFileName(c.exe), c.expected);
    }
}

TEST(IntegerText, ParsesTheSettingsValueForms) {
    const struct {
        TextView text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {u"0", 0},
        {u"42", 42},
        {u"007", 7},
        {u"   42", 42},
        {u"+42", 42},
        {u"-1200", -1200},
        {u"  -5", -5},
        {u"2147483647", 2147483647},
        {u"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {u"2147483648", std::nullopt},
        {u"-2147483649", std::nullopt},
        {u"99999999999999999999", std::nullopt},
        {u"$20", 32},
        {u"x20", 32},
        {u"X20", 32},
        {u"0x20", 32},
        {u"0X20", 32},
        {u"$ff", 255},
        {u"$Ff", 255},
        {u"-$10", -16},
        {u"+x10", 16},
        {u"  0x10", 16},
        {u"-0X10", -16},
        {u"$FFFFFFFF", -1},
        {u"$80000000", std::numeric_limits<std::int32_t>::min()},
        {u"-$FFFFFFFF", 1},
        {u"-$80000000", std::numeric_limits<std::int32_t>::min()},
        {u"$000000001", 1},  // leading zeros are not significant
        {u"$100000000", std::nullopt},
        {u"0x", std::nullopt},
        {u"0X", std::nullopt},
        {u"$", std::nullopt},
        {u"x", std::nullopt},
        {u"0x-5", std::nullopt},  // no sign after the mark
        {u"0x 5", std::nullopt},
        {u"$-5", std::nullopt},
        {u"$G", std::nullopt},
        {u"", std::nullopt},
        {u"   ", std::nullopt},
        {u"-", std::nullopt},
        {u"+-5", std::nullopt},
        {u"- 5", std::nullopt},
        {u"42 ", std::nullopt},
        {u"42abc", std::nullopt},
        {u"4 2", std::nullopt},
        {u"\t42", std::nullopt},
        {u"True", std::nullopt},
        {u"False", std::nullopt},
        {u"off", std::nullopt},
        {u"abc", std::nullopt},
        {u"\uFF14\uFF12", std::nullopt},  // full-width digits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(ParseIntegerText(c.text), c.value);
    }
}

TEST(IntegerText, WrittenFormReadsBack) {
    const struct {
        std::int32_t value;
        TextView text;
    } cases[] = {
        {0, u"0"},
        {7, u"7"},
        {-1, u"-1"},
        {1200, u"1200"},
        {-1200, u"-1200"},
        {std::numeric_limits<std::int32_t>::max(), u"2147483647"},
        {std::numeric_limits<std::int32_t>::min(), u"-2147483648"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(IntegerText(c.value), c.text);
        EXPECT_EQ(ParseIntegerText(IntegerText(c.value)), c.value);
    }
}

// An in-memory settings section that logs every call, can refuse a write, and hands values back
// uncut so the reader's own limit is exercised.
class MemoryStore : public ProfileStore {
  public:
    std::map<Text, Text> values;
    std::vector<Text> reads;
    std::vector<std::pair<Text, Text>> writes;
    std::optional<Text> refuseKey;

    Text ReadString(TextView key, TextView defaultText) override {
        reads.emplace_back(key);
        const auto found = values.find(Text{key});
        return found == values.end() ? Text{defaultText} : found->second;
    }
    bool WriteString(TextView key, TextView value) override {
        if (refuseKey && *refuseKey == key) return false;
        writes.emplace_back(key, value);
        values[Text{key}] = value;
        return true;
    }
    Text Path() const override { return u"C:\\Tools\\ZO24_RAZ,ini"; }
};

const std::vector<Text> kKeyOrder{u"Left",  u"Top",  u"AppFullName", u"Version",
                                  u"Shift", u"Ctrl", u"IME",         u"OFF"};

constexpr ScreenAndWindowSize kScreen{1920, 1080, 300, 121};

TEST(LoadSettings, DefaultsWhenNothingIsStored) {
    MemoryStore store;
    const RunSettings s = LoadSettings(store, kScreen);
    EXPECT_EQ(s.left, 810);
    EXPECT_EQ(s.top, 479);  // 959 / 2
    EXPECT_EQ(s.appFullName, u"");
    EXPECT_EQ(s.version, u"2020");
    EXPECT_TRUE(s.shift && s.ctrl && s.ime && s.off);
    EXPECT_EQ(store.reads, kKeyOrder);
}

// Each key reaches the caller before the next one is read, with its own value already in place.
TEST(LoadSettings, HandsEachKeyOverBeforeReadingTheNext) {
    MemoryStore store;
    store.values[u"Left"] = u"-1200";
    store.values[u"Version"] = u"2024";
    store.values[u"IME"] = u"0";
    std::vector<Text> events;
    const auto applyKey = [&](SettingsKey key, const RunSettings& soFar) {
        Text event = u"apply " + store.reads.back();
        switch (key) {
            case SettingsKey::Left:
                event += u"=" + IntegerText(soFar.left);
                break;
            case SettingsKey::Version:
                event += u"=" + soFar.version;
                break;
            case SettingsKey::Ime:
                event += soFar.ime ? u"=1" : u"=0";
                break;
            default:
                break;
        }
        events.push_back(event);
        events.push_back(u"read " + IntegerText(static_cast<std::int32_t>(store.reads.size())));
    };

    const RunSettings s = LoadSettings(store, kScreen, applyKey);

    EXPECT_EQ(events, (std::vector<Text>{u"apply Left=-1200", u"read 1", u"apply Top", u"read 2",
                                         u"apply AppFullName", u"read 3", u"apply Version=2024", u"read 4",
                                         u"apply Shift", u"read 5", u"apply Ctrl", u"read 6", u"apply IME=0",
                                         u"read 7", u"apply OFF", u"read 8"}));
    EXPECT_EQ(s.left, -1200);
    EXPECT_FALSE(s.ime);
}

TEST(LoadSettings, CentredDefaultTruncatesTowardZero) {
    MemoryStore store;
    const RunSettings s = LoadSettings(store, {100, 50, 199, 51});
    EXPECT_EQ(s.left, -49);  // -99 / 2
    EXPECT_EQ(s.top, 0);     // -1 / 2
    const RunSettings extreme = LoadSettings(
        store, {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min(),
                std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()});
    EXPECT_EQ(extreme.left, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(extreme.top, -std::numeric_limits<std::int32_t>::max());
}

TEST(LoadSettings, PositionValues) {
    const struct {
        TextView stored;
        std::int32_t left;
    } cases[] = {
        {u"abc", 810}, {u"", 810}, {u"0x20", 32}, {u"$20", 32}, {u"-1200", -1200}, {u"  15", 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.stored));
        MemoryStore store;
        store.values[u"Left"] = c.stored;
        store.values[u"Top"] = c.stored;
        const RunSettings s = LoadSettings(store, {1920, 1920, 300, 300});
        EXPECT_EQ(s.left, c.left);
        EXPECT_EQ(s.top, c.left);
    }
}

TEST(LoadSettings, TogglesByTheIntegerRule) {
    const struct {
        TextView stored;
        bool on;
    } cases[] = {
        {u"0", false}, {u"1", true},    {u"2", true},   {u"-1", true},  {u"False", true}, {u"off", true},
        {u"", true},   {u"0x0", false}, {u" 0", false}, {u"$0", false}, {u"00", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.stored));
        for (const TextView key : {u"Shift", u"Ctrl", u"IME", u"OFF"}) {
            MemoryStore store;
            store.values[Text{key}] = c.stored;
            const RunSettings s = LoadSettings(store, kScreen);
            const bool read = key == u"Shift"  ? s.shift
                              : key == u"Ctrl" ? s.ctrl
                              : key == u"IME"  ? s.ime
                                               : s.off;
            EXPECT_EQ(read, c.on) << ToUtf8(key);
            // The other three stay at their default.
            EXPECT_EQ(int{s.shift} + s.ctrl + s.ime + s.off, c.on ? 4 : 3) << ToUtf8(key);
        }
    }
}

TEST(LoadSettings, TextValues) {
    MemoryStore store;
    store.values[u"AppFullName"] = u"C:\\Program Files\\KORVA 2020\\korva.exe";
    store.values[u"Version"] = u"";
    RunSettings s = LoadSettings(store, kScreen);
    EXPECT_EQ(s.appFullName, u"C:\\Program Files\\KORVA 2020\\korva.exe");
    EXPECT_EQ(s.version, u"") << "a present but empty Version stays empty";

    store.values[u"AppFullName"] = u"";
    store.values[u"Version"] = u" 2024 ";
    s = LoadSettings(store, kScreen);
    EXPECT_EQ(s.appFullName, u"");
    EXPECT_EQ(s.version, u" 2024 ");
}

TEST(LoadSettings, LongValuesAreReadAsTheirFirst2047Units) {
    MemoryStore store;
    Text longPath = u"C:\\";
    longPath.append(3000 - longPath.size(), u'p');
    store.values[u"AppFullName"] = longPath;
    store.values[u"Version"] = Text(2047, u'9');
    const RunSettings s = LoadSettings(store, kScreen);
    EXPECT_EQ(s.appFullName, longPath.substr(0, 2047));
    EXPECT_EQ(s.version.size(), 2047u);
}

TEST(SaveSettings, WritesTheEightKeysInOrder) {
    MemoryStore store;
    RunSettings s;
    s.left = -49;
    s.top = 0;
    s.appFullName = u"";
    s.version = u"2020";
    s.shift = true;
    s.ctrl = false;
    s.ime = true;
    s.off = false;
    SaveSettings(store, s);
    const std::vector<std::pair<Text, Text>> expected{
        {u"Left", u"-49"}, {u"Top", u"0"},  {u"AppFullName", u""}, {u"Version", u"2020"},
        {u"Shift", u"1"},  {u"Ctrl", u"0"}, {u"IME", u"1"},        {u"OFF", u"0"},
    };
    EXPECT_EQ(store.writes, expected);
    EXPECT_EQ(LoadSettings(store, kScreen), s);
}

TEST(SaveSettings, StopsAtTheFirstFailedWrite) {
    for (std::size_t failing = 0; failing < kKeyOrder.size(); ++failing) {
        SCOPED_TRACE(ToUtf8(kKeyOrder[failing]));
        MemoryStore store;
        store.refuseKey = kKeyOrder[failing];
        try {
            SaveSettings(store, RunSettings{});
            ADD_FAILURE() << "no error for a refused write";
        } catch (const Error& e) {
            EXPECT_EQ(e.text(), u"C:\\Tools\\ZO24_RAZ,ini に書き込めません");
        }
        ASSERT_EQ(store.writes.size(), failing);
        for (std::size_t i = 0; i < failing; ++i) EXPECT_EQ(store.writes[i].first, kKeyOrder[i]);
    }
}

TEST(SaveSettings, RoundTripsThroughLoad) {
    RunSettings s;
    s.left = std::numeric_limits<std::int32_t>::min();
    s.top = std::numeric_limits<std::int32_t>::max();
    s.appFullName = u"D:\\図面ツール\\<missing>\\korva.exe";
    s.version = u"";
    s.shift = false;
    s.ctrl = true;
    s.ime = false;
    s.off = true;
    MemoryStore store;
    SaveSettings(store, s);
    EXPECT_EQ(LoadSettings(store, kScreen), s);
}

}  // namespace
}  // namespace zo
