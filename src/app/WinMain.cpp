#include <windows.h>

#include "app/mdlChat.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The window opens in the normal state, whatever the shortcut asks.
    return mdlChat::Main(instance);
}
