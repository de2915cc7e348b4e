// CDialog: a dialog box built from a dialog template of the resources, run
// modally. Positions and sizes are in dialog units, turned into pixels from
// the dialog font's metrics as on Windows.
#ifndef RUVOK_DIALOG_H
#define RUVOK_DIALOG_H

#include "frame.h"

// Window and dialog styles of dialog templates.
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;

// Control styles.
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr DWORD SS_NOPREFIX = 0x0080;
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_TYPEMASK = 0x000F;
constexpr DWORD LBS_NOTIFY = 0x0001;

constexpr UINT ID_HELP = 0xE146;

#endif
