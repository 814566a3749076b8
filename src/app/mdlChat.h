// The program's start-up: the settings from the registry, the window, the
// message loop.
#pragma once
#include <windows.h>

namespace mdlChat {

// The whole program. Returns the exit code.
int Main(HINSTANCE instance);

}  // namespace mdlChat
