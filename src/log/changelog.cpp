// File > Change Log and the open-file dialog.
#include "app/frmChat.h"
#include "app/mdlChat.h"

void frmChat::mnuFileChangeLog_Click() {}

std::string mdlChat::ShowOpenDialog(HWND, const std::string&, const std::string&, const std::string&,
                                    const std::string&) {
    return {};
}
