// Registration of the document types with the desktop shell, and its removal.
// On Windows: the file type's registry entries (open, print, print to, its
// icon, the extension when no other type has it). Elsewhere: the
// freedesktop equivalents in the user's data folder (a desktop entry with
// open, print and print-to actions, the icons in the icon theme, and the
// default for the type's files where the user has none). Nothing of the
// user's own is ever replaced or removed: what is written is recorded, and
// only what is still as written is updated or removed.
#ifndef RUVOK_SHELLREG_H
#define RUVOK_SHELLREG_H

#include "afx.h"

#include <string>

struct AfxShellType {
    std::string appName;      // "ruvok": names the desktop entry and the icon
    std::string programPath;  // the program to start
    std::string title;        // the window title, the entry's name
    std::string fileTypeId;   // "Ruvok.Document"
    std::string fileTypeName; // "Text Document"
    std::string filterExt;    // ".txt"
    std::string printName;    // the print action's name
    std::string printToName;  // the print-to action's name
    UINT nIDAppIcon;          // the program's icon
    UINT nIDDocIcon;          // the document type's icon
    // An installed program: its installation brings the desktop entry and
    // the icons, which the user's folders then do without.
    bool bInstalled = false;
};

// Whether the program at programPath is an installed one: in a bin folder
// whose share folder holds the desktop entry of appName (as "cmake
// --install" and the package put them), rather than where it was built.
bool AfxIsInstalledProgram(const std::string& programPath, const std::string& appName);

// Writes what is missing or out of date; leaves alone what the user has.
// With bCompat the icon, print commands and the extension's new-file entry.
void AfxRegisterShellFileType(const AfxShellType& type, BOOL bCompat);
// Removes what was registered and is still as written; FALSE when some of
// it could not be removed.
BOOL AfxUnregisterShellFileType(const AfxShellType& type);

#endif
