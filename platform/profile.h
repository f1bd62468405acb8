#pragma once
// The settings file through the system's profile functions, and the values it is placed by.
#include "core/settings.h"

namespace zo {

class Win32ProfileStore final : public ProfileStore {
public:
    explicit Win32ProfileStore(Text path);

    [[nodiscard]] Text ReadString(TextView key, TextView defaultText) override;
    [[nodiscard]] bool WriteString(TextView key, TextView value) override;
    [[nodiscard]] Text Path() const override { return path_; }

private:
    void CreateUnicodeFileIfMissing();

    Text path_;
    bool fileChecked_ = false;
};

// The running executable's full path (GetModuleFileNameW with room for 261 units).
[[nodiscard]] Text ExecutablePath();

// The primary screen's size in pixels.
[[nodiscard]] std::int32_t PrimaryScreenWidth();
[[nodiscard]] std::int32_t PrimaryScreenHeight();

}  // namespace zo
