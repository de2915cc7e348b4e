// The text resources: the string table, menus and accelerator tables, found
// by numeric id. Texts are UTF-8 here; the window system shows them as they are.
#ifndef RUVOK_STRINGS_TABLE_H
#define RUVOK_STRINGS_TABLE_H

#include "afx.h"
#include "restypes.h"

#include <string>
#include <vector>

// The string with id nID, or an empty string (and FALSE) if there is none.
BOOL AfxLoadString(UINT nID, std::string& rString);
std::string AfxLoadString(UINT nID);

// Field iSubString of a text whose fields are separated by chSep; FALSE when
// the text has fewer fields.
BOOL AfxExtractSubString(std::string& rString, const std::string& full, int iSubString,
                         char chSep = '\n');

// The string nIDS with every "%1" replaced by lpsz1.
std::string AfxFormatString1(UINT nIDS, const std::string& lpsz1);
std::string AfxFormatText1(const std::string& format, const std::string& lpsz1);

// The menu bar or accelerator table with resource id nID; empty if none.
const std::vector<AfxMenuPopup>& AfxLoadMenu(UINT nID);
const std::vector<AfxAccel>& AfxLoadAccelerators(UINT nID);

#endif
