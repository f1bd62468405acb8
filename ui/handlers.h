#pragma once
// The main window's handlers and the free routines of the monitor cycle, the assists and the
// commands, written against the ports so that they run the same under the fakes and on Windows.
#include <optional>

#include "core/settings.h"
#include "ui/ports.h"

namespace zo {

// Host discovery: the first top-level window that passes IsHostMainWindow against
// state.versionText; sets state.hostWindowHandle and state.hostWindowTitle.
WindowHandle FindHostWindow(Ports& ports);

// One window of FindHostWindow's enumeration; `parameter` is the Ports of the search. Returns
// non-zero (-1) to let the enumeration go on, zero on the match, which stops it.
std::int32_t HostWindowEnumProc(WindowHandle window, std::intptr_t parameter);

// FindHostWindow, and the window found, if any, to the front.
void HandForegroundToHost(Ports& ports);

// The version box's change handler: VersionText follows the box.
void Edit2Change(Ports& ports);

// The toggles' click handlers, one body: hand the foreground back to the host.
void CheckBox1Click(Ports& ports);
void CheckBox2Click(Ports& ports);
void CheckBox3Click(Ports& ports);
void CheckBox4Click(Ports& ports);

// FormCreate: clears the tap flags, applies the stored settings key by key, copies the version
// box to VersionText, looks for the host once and starts the registered executable when it is
// absent.
void FormCreate(Ports& ports, ProfileStore& store, const ScreenAndWindowSize& sizes);

// One 100 ms tick of the monitor cycle.
void Timer1Timer(Ports& ports);

// Modifier-tap assist.
[[nodiscard]] WindowHandle RunTapAssist(Ports& ports, WindowHandle tickHandle);
[[nodiscard]] int FirstOtherKeyDown(const KeyStates& keys);
[[nodiscard]] std::optional<WindowHandle> SendKeyIfHostBusy(Ports& ports, int vk);
void InjectKeyPress(Ports& ports, int vk);

// IME guard.
void RunImeGuard(Ports& ports, WindowHandle tickHandle);

// Commands.
void Button1Click(Ports& ports);  // register the running host
void KORVA1Click(Ports& ports);   // the same, from the context menu
void Button2Click(Ports& ports);  // activate or launch the host
void Button4Click(Ports& ports);  // document picker

}  // namespace zo
