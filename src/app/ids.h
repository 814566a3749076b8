// Identifiers of the main window's menu commands and child controls.
#pragma once
#include <windows.h>

enum : UINT {
    IDM_FILE_CHANGELOG = 100,
    IDM_FILE_EXIT,
    IDM_FILE_SAVECHAT,
    IDM_FILE_SAVETIMES,
    IDM_EDIT_UNDO = 200,
    IDM_EDIT_CUT,
    IDM_EDIT_COPY,
    IDM_EDIT_PASTE,
    IDM_EDIT_DELETE,
    IDM_EDIT_SELECTALL,
    IDM_EDIT_FIND,
    IDM_EDIT_FINDNEXT,
    IDM_EDIT_FINDPREVIOUS,
    IDM_LOG_START = 300,
    IDM_LOG_STOP,
    IDM_LOG_AUTOSTART,
    IDM_LOG_ALERTS,
    IDM_VIEW_PAGESPANE = 400,
    IDM_VIEW_CHATLINES,  // the three kinds in the order of vek::kLineKinds
    IDM_VIEW_PAGELINES,
    IDM_VIEW_OTHERLINES,
    IDM_VIEW_ALWAYSONTOP,
};

// The drop-down menus, by their place on the menu bar.
enum : int {
    kFileMenu = 0,
    kEditMenu = 1,
    kLogMenu = 2,
    kViewMenu = 3,
};

enum : int {
    IDC_CHATTEXT = 1000,
    IDC_PAGETO,
    IDC_MESSAGE,
    IDC_MESSAGETYPE,
    IDC_NEWLINES,  // the new-lines bar over the display's bottom edge
    IDC_CHATSCROLL,  // the display's scroll bar
    IDC_PAGES,        // the pages pane
    IDC_PAGESSCROLL,  // its scroll bar
};
