// The composer: colour keys, colour clean-up, plain paste, recall, and the
// conversion of its coloured text into markup.
#include "app/frmChat.h"

void frmChat::Form_KeyDown(int& KeyCode, int Shift) { (void)KeyCode; (void)Shift; }
void frmChat::rtfMessage_KeyDown(int& KeyCode, int Shift) { (void)KeyCode; (void)Shift; }
void frmChat::rtfMessage_KeyPress(int& KeyAscii) { (void)KeyAscii; }
void frmChat::rtfMessage_SelChange() {}
std::string frmChat::FormatVek(HWND box) { (void)box; return {}; }
