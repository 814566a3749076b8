#include <windows.h>

#include "app/mdlChat.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCmd) {
    return mdlChat::Main(instance, showCmd);
}
