#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "core/text.h"

namespace zo {

inline constexpr TextView kSettingsSection = u"KORVA";
inline constexpr std::size_t kProfileValueBufferUnits = 2048;  // a value is read as at most 2047 units
inline constexpr TextView kDefaultVersion = u"2020";

// The settings path: the executable's path with its extension replaced by ",ini" (a comma).
[[nodiscard]] Text SettingsFileName(TextView executablePath);

// The integer text rule of the settings file: decimal or hexadecimal ("$", "x", "X", "0x", "0X"),
// optional leading blanks and one sign; nullopt when the text is not a 32-bit integer.
[[nodiscard]] std::optional<std::int32_t> ParseIntegerText(TextView text) noexcept;

// Written form of an integer: decimal, "-" for negatives, no "+", no leading zeros.
[[nodiscard]] Text IntegerText(std::int32_t value);

struct RunSettings {
    std::int32_t left = 0;
    std::int32_t top = 0;
    Text appFullName;
    Text version{kDefaultVersion};
    bool shift = true;
    bool ctrl = true;
    bool ime = true;
    bool off = true;
    friend bool operator==(const RunSettings&, const RunSettings&) = default;
};

// The file seam: section "KORVA" of one settings file.
class ProfileStore {
  public:
    virtual ~ProfileStore() = default;
    // The key's value (at most 2047 units), or `defaultText` when the file, section or key is missing.
    [[nodiscard]] virtual Text ReadString(TextView key, TextView defaultText) = 0;
    // False when the value could not be stored.
    [[nodiscard]] virtual bool WriteString(TextView key, TextView value) = 0;
    // The full settings path, for the error text of a failed write.
    [[nodiscard]] virtual Text Path() const = 0;
};

struct ScreenAndWindowSize {
    std::int32_t screenWidth = 0;
    std::int32_t screenHeight = 0;
    std::int32_t windowWidth = 0;  // outer size of the main window, frame included
    std::int32_t windowHeight = 0;
};

// The eight keys, in the order they are read and written.
enum class SettingsKey { Left, Top, AppFullName, Version, Shift, Ctrl, Ime, Off };

// Called once a key has been read, with that key and the values read so far, so that the caller
// applies the key's value before the next key is read.
using SettingsKeyRead = std::function<void(SettingsKey key, const RunSettings& readSoFar)>;

// Reads the eight keys in order; never fails (an `applyKey` that throws ends the reading).
RunSettings LoadSettings(ProfileStore& store, const ScreenAndWindowSize& sizes,
                         const SettingsKeyRead& applyKey = nullptr);

// Writes the eight keys in order; stops at the first failed write and throws Error with
// "<path> に書き込めません". Keys written before it stay written.
void SaveSettings(ProfileStore& store, const RunSettings& settings);

}  // namespace zo
