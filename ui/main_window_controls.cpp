#include "ui/handlers.h"

namespace zo {

void Edit2Change(Ports& ports) { ports.state.versionText = ports.main.VersionBoxText(); }

// A click on the companion window took the foreground from the host; hand it straight back.
void CheckBox1Click(Ports& ports) { HandForegroundToHost(ports); }
void CheckBox2Click(Ports& ports) { HandForegroundToHost(ports); }
void CheckBox3Click(Ports& ports) { HandForegroundToHost(ports); }
void CheckBox4Click(Ports& ports) { HandForegroundToHost(ports); }

}  // namespace zo
