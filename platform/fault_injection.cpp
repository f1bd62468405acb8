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

// The variable's value as ASCII; empty when it is not set or too long.
std::string AsciiVariable(const wchar_t* name) {
    wchar_t buffer[kNameUnits] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, kNameUnits);
    std::string asked;
    if (length == 0 || length >= kNameUnits) return asked;
    for (DWORD i = 0; i < length; ++i) asked += static_cast<char>(buffer[i] & 0x7F);
    return asked;
}

// "step" or "step:kind".
std::string AskedFault() { return AsciiVariable(L"ZO_FAIL_STEP"); }

}  // namespace

bool FaultAsked(std::string_view step) {
    const std::string asked = AskedFault();
    return std::string_view(asked).substr(0, asked.find(':')) == step;
}

bool StandInAsked(std::string_view name) {
    const std::string asked = AsciiVariable(L"ZO_STAND_IN");
    std::string_view rest(asked);
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        if (rest.substr(0, comma) == name) return true;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return false;
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
