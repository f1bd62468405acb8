#include "ui/host_link.h"

#include <cstdint>
#include <string>

#include "core/error.h"
#include "core/prog_id.h"

namespace zo {
namespace {

constexpr TextView kHostWindowMember = u"HWND";

}  // namespace

bool HostServerRunning(Ports& ports) {
    ports.state.hostProgId = BuildHostProgId(ports.main.VersionBoxText());
    return ports.automation.IsRunning(ports.state.hostProgId);
}

HostObjectPtr AttachRunningHost(Ports& ports) { return ports.automation.Attach(ports.state.hostProgId); }

WindowHandle HostWindowAsUnsigned(HostObject& application) {
    return static_cast<WindowHandle>(application.GetInteger(kHostWindowMember));
}

WindowHandle HostWindowNonNegative(HostObject& application) {
    const std::int64_t value = application.GetInteger(kHostWindowMember);
    if (value < 0) throw Error(u"HWND: " + FromUtf8(std::to_string(value)));
    return static_cast<WindowHandle>(value);
}

void ReadAndDropHostWindow(HostObject& application) {
    static_cast<void>(application.GetInteger(kHostWindowMember));
}

}  // namespace zo
