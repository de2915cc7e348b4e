// A window's side of file drops: switching them on, and the drop a window
// that takes files does nothing with unless it overrides OnDropFiles (the
// drops themselves are in filedrop.cpp).
#include "wnd.h"

#include "filedrop.h"

void CWnd::DragAcceptFiles(BOOL bAccept)
{
    AfxAcceptFileDrops(this, bAccept);
}

void CWnd::OnDropFiles(HDROP hDropInfo)
{
    DragFinish(hDropInfo);
}
