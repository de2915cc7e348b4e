// Files dropped on a window: DragAcceptFiles switches it on for the window
// and everything in it; the window's OnDropFiles gets the drop, whose file
// names DragQueryFile gives. A child with drops of its own (the edit control)
// hands drags of files to AfxFileDropEvent first.
#ifndef RUVOK_FILEDROP_H
#define RUVOK_FILEDROP_H

#include "afx.h"

#include <string>
#include <vector>

struct HDROP__ {
    std::vector<std::string> files;  // local paths, in the drop's order
};
typedef HDROP__* HDROP;

// With iFile 0xFFFFFFFF the number of files; otherwise copies file iFile
// into lpszFile (at most cch bytes, ended by a NUL) and returns its length.
UINT DragQueryFile(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch);
void DragFinish(HDROP hDrop);

class QDropEvent;
class QWidget;
// A drag (enter, move) or drop of local files over pWidget, when pWidget or
// a window it sits in takes files: accepted, and a drop goes to that
// window's OnDropFiles from the event loop. False, and the event untouched,
// for anything else.
bool AfxFileDropEvent(QWidget* pWidget, QDropEvent* pDrop);

class CWnd;
// pWnd, and everything in it, takes files from now on (bAccept TRUE) or no
// more (FALSE): CWnd::DragAcceptFiles.
void AfxAcceptFileDrops(CWnd* pWnd, BOOL bAccept);

#endif
