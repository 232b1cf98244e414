// The ids of the resources in levelora.rc and of the controls in its
// dialogs, shared by the resource script (compiled with windres, which reads
// only the preprocessor) and the C++ code. The command ids of menus, toolbar
// and accelerators are in desktop/command_ids.h.
#pragma once

#define IDI_LEVELORA 1
#define IDB_TOOLS 2

#define IDD_SETUP 200
#define IDC_SETUP_ANGLE 201
#define IDC_SETUP_TO_RIGHT 202
#define IDC_SETUP_TO_LEFT 203

#define IDD_ABOUT 210
#define IDC_ABOUT_ICON 211
#define IDC_ABOUT_VERSION 212

// The three pictures of IDB_TOOLS, 16 x 16 each, left to right.
#define TOOLS_AUTO_ROTATE 0
#define TOOLS_ROTATE_RIGHT 1
#define TOOLS_ROTATE_LEFT 2
