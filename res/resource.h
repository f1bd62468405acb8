#pragma once
// Resource numbers shared by the resource script and the code.

// The program's icon; as the executable's first icon group it is also the file's own icon.
#define ZO_PROGRAM_ICON 1
