// The frame before its document's text is replaced. Every route that
// replaces the text (File New, File Open, a recent file, a file dropped on
// the window, a file a second start sends) comes through here first, so
// that what shows the old text in the view's place, the print preview, is
// gone before the new text comes.
#include "frame.h"

#include "preview.h"

BOOL CFrameWnd::ReplacesText(UINT nID)
{
    return nID == ID_FILE_NEW || nID == ID_FILE_OPEN
           || (nID >= ID_FILE_MRU_FILE1 && nID <= ID_FILE_MRU_FILE16);
}

void CFrameWnd::BeforeReplacingText()
{
    CPreviewView::CloseIn(this);
}
