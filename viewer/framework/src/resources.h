// The program's resources, one loader per kind, each found by numeric id:
// strings, menus and accelerators (strings_table.h), tool bars, bitmaps, icon
// and cursor groups, dialog templates and version records (here).
#ifndef RUVOK_RESOURCES_H
#define RUVOK_RESOURCES_H

#include "afx.h"
#include "strings_table.h"

#include <QCursor>
#include <QIcon>
#include <QImage>

#include <string>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// Tool bars: the button image size and the command of each item in order.

struct AfxToolBarData {
    WORD wVersion = 0;
    WORD wWidth = 0;
    WORD wHeight = 0;
    std::vector<UINT> items;  // item 0 = separator
};
BOOL AfxLoadToolBarData(UINT nID, AfxToolBarData& data);  // FALSE if none

// ---------------------------------------------------------------------------
// Images

// A bitmap as stored: an indexed image with its palette for 1, 4 and 8 bits
// per pixel (so a colour can be swapped for the current button face), RGB
// otherwise. A null QImage if there is none.
QImage AfxLoadBitmapImage(UINT nID);
// The same, with its greys in the current desktop colours, as tool bar and
// three-dimensional control images are shown: black to button text, grey
// (128) to button shadow, light grey (192) to button face, white to button
// highlight.
QImage AfxLoadSysColorBitmap(UINT nID);

// One image of an icon or cursor group, with its mask applied as alpha.
struct AfxGroupImage {
    QImage image;       // ARGB32
    int nBitCount = 0;  // colour depth as stored: 1 (monochrome), 4, 8, 24 or 32
    int xHotSpot = 0;   // cursors only
    int yHotSpot = 0;
};
// Every image of the group in stored order; empty if there is none.
std::vector<AfxGroupImage> AfxLoadIconImages(UINT nID);
std::vector<AfxGroupImage> AfxLoadCursorImages(UINT nID);

QIcon AfxLoadIconGroup(UINT nID);         // both sizes; null QIcon if none
QCursor AfxLoadCursorResource(UINT nID);  // with its hot spot; Qt::ArrowCursor if none

// ---------------------------------------------------------------------------
// Dialog templates, in dialog units (restypes.h).
BOOL AfxLoadDialogTemplate(UINT nID, AfxDialogTemplate& tmpl);  // FALSE if none

// ---------------------------------------------------------------------------
// Version records (restypes.h)
BOOL AfxLoadVersionInfo(UINT nID, AfxVersionInfo& info);  // FALSE if none

#endif
