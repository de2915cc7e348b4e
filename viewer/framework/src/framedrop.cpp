// The frame's side of a file drop: the first file dropped on the window
// opens as File Open would open it (the drop itself is in filedrop.cpp).
#include "frame.h"

#include "app.h"
#include "filedrop.h"

#include <QWidget>

#include <string>

void CFrameWnd::OnDropFiles(HDROP hDropInfo)
{
    if (QWidget* pWidget = GetWidget())
        pWidget->activateWindow();
    CWinApp* pApp = AfxGetApp();
    // one document at a time: the first file
    UINT nFiles = DragQueryFile(hDropInfo, 0xFFFFFFFFu, nullptr, 0);
    if (pApp != nullptr && nFiles > 0) {
        std::string name(DragQueryFile(hDropInfo, 0, nullptr, 0) + 1, '\0');
        DragQueryFile(hDropInfo, 0, &name[0], static_cast<UINT>(name.size()));
        name.resize(name.size() - 1);
        pApp->OpenDocumentFile(name.c_str());
    }
    DragFinish(hDropInfo);
}
