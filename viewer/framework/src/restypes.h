// What the resource script holds, as records: menus, accelerators, dialog
// templates and version records. The script's reader fills them and the
// loaders by id hand them out; both include this and not each other.
#ifndef RUVOK_RESTYPES_H
#define RUVOK_RESTYPES_H

#include "afx.h"

#include <string>
#include <utility>
#include <vector>

struct AfxMenuItem {
    UINT nID = 0;        // 0 for a separator
    std::string text;    // with "&" mnemonics and "\t" before the shortcut text
    bool bGrayed = false;
};

struct AfxMenuPopup {
    std::string text;
    std::vector<AfxMenuItem> items;
};

// Accelerator flag bits, as in the resource script.
constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

struct AfxAccel {
    BYTE fVirt = 0;
    WORD key = 0;  // virtual-key code
    WORD cmd = 0;
};

struct AfxDlgItemTemplate {
    std::string className;  // "Button", "Static", "ListBox", "ComboBox", "Edit"
    DWORD style = 0;
    DWORD dwExtendedStyle = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    int id = -1;                // -1: a static that nobody addresses
    std::string text;           // UTF-8, "&" marking the mnemonic; a combo box's items, "\n" between
    int nTextResource = -1;     // an icon's or bitmap's id in place of text; -1 if none
};

struct AfxDialogTemplate {
    DWORD style = 0;
    DWORD dwExtendedStyle = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    std::string caption;
    WORD wPointSize = 0;   // with DS_SETFONT
    std::string faceName;  // as named by the template, e.g. "ＭＳ Ｐゴシック"
    std::vector<AfxDlgItemTemplate> items;  // in tab order
};
struct AfxVersionInfo {
    DWORD dwFileVersionMS = 0;
    DWORD dwFileVersionLS = 0;
    DWORD dwProductVersionMS = 0;
    DWORD dwProductVersionLS = 0;
    DWORD dwFileFlagsMask = 0;
    DWORD dwFileFlags = 0;
    DWORD dwFileOS = 0;
    DWORD dwFileType = 0;
    DWORD dwFileSubtype = 0;
    DWORD dwFileDateMS = 0;
    DWORD dwFileDateLS = 0;
    std::string block;  // language and code page of the strings, e.g. "041104b0"
    std::vector<std::pair<std::string, std::string>> strings;  // key, value; in order
    WORD wLanguage = 0;  // the Translation entry
    WORD wCodePage = 0;
};

#endif
