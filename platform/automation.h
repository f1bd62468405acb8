#pragma once
// The host's automation server through late-bound IDispatch calls. Nothing is cached: every
// caller attaches afresh and drops its objects when its handler ends.
#include <windows.h>
// The COM headers build on the declarations above.
#include <oaidl.h>
#include <wrl/client.h>

#include <cstdint>

#include "core/error.h"
#include "core/host_automation.h"

namespace zo {

// DISP_E_EXCEPTION raised by the host: text() is the host's own description; hresult() is its
// scode, or DISP_E_EXCEPTION when the host gave only a wCode.
class HostException final : public Error {
  public:
    HostException(Text description, std::int32_t scode, Text source);

    [[nodiscard]] const Text& source() const noexcept { return source_; }

  private:
    Text source_;
};

// One reference to one of the host's objects, released when this goes.
class ComHostObject final : public HostObject {
  public:
    explicit ComHostObject(Microsoft::WRL::ComPtr<IDispatch> dispatch) noexcept;
    ~ComHostObject() override;
    ComHostObject(const ComHostObject&) = delete;
    ComHostObject& operator=(const ComHostObject&) = delete;

    [[nodiscard]] Text GetText(TextView member) override;
    [[nodiscard]] std::int64_t GetInteger(TextView member) override;
    [[nodiscard]] bool GetBoolean(TextView member) override;
    [[nodiscard]] HostObjectPtr GetObject(TextView member) override;
    [[nodiscard]] HostObjectPtr GetItem(std::int32_t index) override;
    void CallMethod(TextView member) override;

  private:
    Microsoft::WRL::ComPtr<IDispatch> dispatch_;
};

class ComHostAutomation final : public HostAutomation {
  public:
    [[nodiscard]] bool IsRunning(TextView progId) override;
    [[nodiscard]] HostObjectPtr Attach(TextView progId) override;
};

// The system's text for an HRESULT (its hexadecimal code when the system has none), carrying it.
[[nodiscard]] Error ComError(HRESULT hr);

}  // namespace zo
