// The chat display writer.
#include "app/frmChat.h"

void frmChat::AppendData(const std::string& line) {
    (void)line;  // comes with the display writer
}
