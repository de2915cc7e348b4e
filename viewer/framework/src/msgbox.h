// The framework's modal prompts: the message box and the file dialogs. Each
// goes through a hook when one is set, so a caller without a user (a test)
// can answer it without a window.
#ifndef RUVOK_MSGBOX_H
#define RUVOK_MSGBOX_H

#include "afx.h"

#include <functional>
#include <string>
#include <vector>

// Shows text (UTF-8) with the buttons and icon of nType; returns IDOK, IDYES,
// IDNO or IDCANCEL. Without an icon in nType, the exclamation icon is added
// (as for every framework message).
int AfxMessageBox(const std::string& text, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));

// Receives the text and the full type (buttons | icon); returns the button.
using AfxMessageBoxHook = std::function<int(const std::string& text, UINT nType)>;
// Installs a hook (an empty one restores the real box); returns the old one.
AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook);

struct AfxFileFilter {
    std::string name;     // as shown, e.g. "ﾃｷｽﾄﾌｧｲﾙ (*.txt)"
    std::string pattern;  // what it matches, e.g. "*.txt"; "*" is every file
};

struct AfxFileDialogRequest {
    BOOL bOpenFileDialog;
    std::string title;
    std::string fileName;  // proposed name (or path) on entry
    std::vector<AfxFileFilter> filters;
    std::string defaultExt;  // added to a typed name without one, e.g. "txt"
};

// Runs an open or save dialog; TRUE with request.fileName set to the chosen
// path (the bytes the file system names it by), or FALSE when cancelled.
BOOL AfxDoFileDialog(AfxFileDialogRequest& request);

// Receives the request and answers for the user: TRUE and a path in
// request.fileName, or FALSE for Cancel.
using AfxFileDialogHook = std::function<BOOL(AfxFileDialogRequest& request)>;
AfxFileDialogHook AfxSetFileDialogHook(AfxFileDialogHook hook);

#endif
