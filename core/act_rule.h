#pragma once

namespace zo {

// What ACT does: the host window found comes forward; without one the registered executable
// starts when its file exists; otherwise the user is told that no host is registered.
enum class ActAction { BringHostToFront, LaunchRegistered, ShowNotRegistered };

[[nodiscard]] ActAction DecideAct(bool hostWindowFound, bool registeredFileExists) noexcept;

}  // namespace zo
