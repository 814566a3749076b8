// The Edit menu, acting on whichever text box has the focus.
#include "app/frmChat.h"

void frmChat::mnuEdit_Click() {}
void frmChat::mnuEditUndo_Click() {}
void frmChat::mnuEditCut_Click() {}
void frmChat::mnuEditCopy_Click() {}
void frmChat::mnuEditPaste_Click() {}
void frmChat::mnuEditDelete_Click() {}
void frmChat::mnuEditSelectAll_Click() {}
