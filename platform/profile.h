#pragma once
// The settings file through the system's profile functions.
#include "core/settings_file.h"

namespace zo {

// The profile functions themselves, section "KORVA" of one file.
class Win32ProfileFunctions final : public ProfileStore {
  public:
    explicit Win32ProfileFunctions(Text path);

    [[nodiscard]] Text ReadString(TextView key, TextView defaultText) override;
    [[nodiscard]] bool WriteString(TextView key, TextView value) override;
    [[nodiscard]] Text Path() const override { return path_; }

  private:
    Text path_;
};

class Win32SettingsFileBytes final : public SettingsFileBytes {
  public:
    explicit Win32SettingsFileBytes(Text path);

    [[nodiscard]] Contents Read() override;
    [[nodiscard]] bool CreateNew(std::string_view bytes) override;
    [[nodiscard]] Overwritten Overwrite(std::string_view bytes) override;
    void Remove() override;

  private:
    std::wstring path_;
};

// The ANSI code page, which the profile functions use for a file without a byte-order mark.
class Win32AnsiCodePage final : public CodePage {
  public:
    [[nodiscard]] std::optional<Text> Decode(std::string_view bytes) override;
    [[nodiscard]] std::string Encode(TextView text) override;
    [[nodiscard]] bool Represents(TextView text) override;
};

// The program's settings store: the profile functions, with a file that keeps every character.
class Win32ProfileStore final : public ProfileStore {
  public:
    explicit Win32ProfileStore(Text path);
    Win32ProfileStore(const Win32ProfileStore&) = delete;
    Win32ProfileStore& operator=(const Win32ProfileStore&) = delete;

    [[nodiscard]] Text ReadString(TextView key, TextView defaultText) override;
    [[nodiscard]] bool WriteString(TextView key, TextView value) override;
    [[nodiscard]] Text Path() const override { return lossless_.Path(); }

  private:
    Win32ProfileFunctions functions_;
    Win32SettingsFileBytes file_;
    Win32AnsiCodePage codePage_;
    LosslessProfileStore lossless_;
};

}  // namespace zo
