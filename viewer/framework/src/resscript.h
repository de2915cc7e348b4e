// The resource script as the framework reads it: one text file of sections
// (string table, menus, accelerators, tool bars, dialog templates, version
// records) and the image files it names, all in the program's Qt resources
// under ":/ruvok/". The program that carries the resources embeds them; the
// framework only reads them, each kind through its own loader (strings_table.h,
// resources.h).
#ifndef RUVOK_RESSCRIPT_H
#define RUVOK_RESSCRIPT_H

#include "restypes.h"

#include <map>
#include <string>
#include <vector>

struct AfxResourceScript {
    std::map<UINT, std::string> strings;
    std::map<UINT, std::vector<AfxMenuPopup>> menus;
    std::map<UINT, std::vector<AfxAccel>> accels;
    std::map<UINT, std::vector<UINT>> toolBarItems;
    std::map<UINT, std::pair<WORD, WORD>> toolBarSizes;
    std::map<UINT, size_t> dialogs;   // index into dialogTemplates
    std::map<UINT, size_t> versions;  // index into versionInfos
    // Image files by kind and id, as paths inside the resources.
    std::map<UINT, std::string> bitmapFiles, iconFiles, cursorFiles;

    std::vector<AfxDialogTemplate> dialogTemplates;
    std::vector<AfxVersionInfo> versionInfos;

    // Lines the parser could not read, for the tests: "line N: ...".
    std::vector<std::string> errors;
};

// Parses a script text; what it can't read is skipped and listed in errors.
AfxResourceScript AfxParseResourceScript(const std::string& text);

// The program's script, read once from ":/ruvok/ruvok.res.txt".
const AfxResourceScript& AfxGetResourceScript();

// The bytes of a file the script names, or empty if it is missing.
std::string AfxReadResourceFile(const std::string& name);

#endif
