// The frame before its document's text is replaced. Every route that
// replaces the text (File New, File Open and a recent file, each as its
// command starts; a file dropped on the window; a file a second start
// sends) comes through here first, so that what shows the old text in the
// view's place, the print preview, is gone before the new text comes.
#include "frame.h"

#include "preview.h"

void CFrameWnd::BeforeReplacingText()
{
    CPreviewView::CloseIn(this);
}
