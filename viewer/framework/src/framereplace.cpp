// The frame before its document's text is replaced. Every route that
// replaces the text comes through here first (CWinApp::OpenDocumentFile for
// every file opened, File New and File Open as they start), so that what
// shows the old text in the view's place, the print preview, is gone before
// the new text comes.
#include "frame.h"

#include "preview.h"

void CFrameWnd::BeforeReplacingText()
{
    CPreviewView::CloseIn(this);
}
