#pragma once
// The host's automation server as the handlers reach it; platform/automation.h binds it to COM.
#include <cstdint>
#include <memory>

#include "core/text.h"

namespace zo {

// Host automation. Each HostObject owns one reference to an object of the host's automation
// server and releases it when destroyed. Every call is a late-bound call by member name; every
// failure throws zo::Error (HRESULT and system text, the missing member's name, or the host's
// own description).
class HostObject;
using HostObjectPtr = std::unique_ptr<HostObject>;

class HostObject {
  public:
    virtual ~HostObject() = default;
    // Property get or method call with no arguments, result converted to the named type.
    [[nodiscard]] virtual Text GetText(TextView member) = 0;
    [[nodiscard]] virtual std::int64_t GetInteger(TextView member) = 0;
    [[nodiscard]] virtual bool GetBoolean(TextView member) = 0;
    [[nodiscard]] virtual HostObjectPtr GetObject(TextView member) = 0;
    // "Item" with one 32-bit index.
    [[nodiscard]] virtual HostObjectPtr GetItem(std::int32_t index) = 0;
    // A method call without a result ("Activate").
    virtual void CallMethod(TextView member) = 0;
};

class HostAutomation {
  public:
    virtual ~HostAutomation() = default;
    // False when the class is registered but no object runs; throws when the ProgID is unknown.
    [[nodiscard]] virtual bool IsRunning(TextView progId) = 0;
    // The running application object's IDispatch; throws on every failure.
    [[nodiscard]] virtual HostObjectPtr Attach(TextView progId) = 0;
};

}  // namespace zo
