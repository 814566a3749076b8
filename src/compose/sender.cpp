// Message types, the page-target box, and typing messages into the game.
#include "app/frmChat.h"
#include "app/mdlChat.h"

void frmChat::cmdMessageType_Click() {}
void frmChat::cmdMessageType_GotFocus() {}
void frmChat::cmdMessageType_MouseUp() {}
void frmChat::SendComposedMessage() {}
void frmChat::txtPageTo_KeyPress(int& KeyAscii) { (void)KeyAscii; }

size_t mdlChat::SendToGame(const std::string& text) { (void)text; return 0; }
size_t mdlChat::SendChars(HWND window, const std::string& text) { (void)window; (void)text; return 0; }
