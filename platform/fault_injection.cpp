#include "platform/fault_injection.h"

#ifdef ZO_FAULT_INJECTION

#include <windows.h>

#include <new>
#include <stdexcept>
#include <string>

#include "core/error.h"

namespace zo {
namespace {

constexpr std::size_t kNameUnits = 128;

// "step" or "step:kind", as ASCII.
std::string AskedFault() {
    wchar_t buffer[kNameUnits] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"ZO_FAIL_STEP", buffer, kNameUnits);
    std::string asked;
    if (length == 0 || length >= kNameUnits) return asked;
    for (DWORD i = 0; i < length; ++i) asked += static_cast<char>(buffer[i] & 0x7F);
    return asked;
}

}  // namespace

bool FaultAsked(std::string_view step) {
    const std::string asked = AskedFault();
    return std::string_view(asked).substr(0, asked.find(':')) == step;
}

void FailIfAsked(std::string_view step) {
    if (!FaultAsked(step)) return;
    const std::string asked = AskedFault();
    const auto colon = asked.find(':');
    const std::string kind = colon == std::string::npos ? "error" : asked.substr(colon + 1);
    const std::string text = "Test failure in step " + std::string(step);
    if (kind == "bad_alloc") throw std::bad_alloc();
    if (kind == "exception") throw std::runtime_error(text);
    if (kind == "unknown") throw 42;  // not derived from std::exception
    throw Error(FromUtf8(text));
}

}  // namespace zo

#endif
