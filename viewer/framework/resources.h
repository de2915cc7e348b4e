// Resources of kinds other than text: the tool-bar record, bitmaps, icons and
// cursors, found by numeric id.
#ifndef RUVOK_RESOURCES_H
#define RUVOK_RESOURCES_H

#include "afx.h"

#include <QCursor>
#include <QIcon>
#include <QImage>

#include <vector>

struct AfxToolBarData { WORD wVersion = 0; WORD wWidth = 0; WORD wHeight = 0; std::vector<UINT> items; }; // item 0 = separator
BOOL AfxLoadToolBarData(UINT nID, AfxToolBarData& data);   // FALSE if none
QImage AfxLoadBitmapImage(UINT nID);     // null QImage if none
QIcon AfxLoadIconGroup(UINT nID);        // both sizes; null QIcon if none
QCursor AfxLoadCursorResource(UINT nID); // Qt::ArrowCursor if none

#endif
