#pragma once
// Test builds only (compiled with ZO_FAULT_INJECTION): the environment variable ZO_FAIL_STEP
// names one step of the program that is to fail, and after a colon how it fails: "error" (the
// program's own error, the default), "bad_alloc", "exception" (another standard exception) or
// "unknown" (not a standard exception at all), e.g. "menu" or "controls:bad_alloc". The variable
// ZO_STAND_IN names, separated by commas, stand-ins that replace something Wine cannot provide:
// "host-ime-window" takes a window itself for its default input-method window. Release builds
// compile every call to nothing.
#include <string_view>

namespace zo {

#ifdef ZO_FAULT_INJECTION
// True when `step` is the one asked to fail.
[[nodiscard]] bool FaultAsked(std::string_view step);
// Throws the asked kind of failure when `step` is the one asked to fail.
void FailIfAsked(std::string_view step);
// True when `name` is among the stand-ins asked for.
[[nodiscard]] bool StandInAsked(std::string_view name);
#else
[[nodiscard]] constexpr bool FaultAsked(std::string_view) noexcept { return false; }
constexpr void FailIfAsked(std::string_view) noexcept {}
[[nodiscard]] constexpr bool StandInAsked(std::string_view) noexcept { return false; }
#endif

}  // namespace zo
