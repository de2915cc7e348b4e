#include "filedrop.h"

#include "app.h"
#include "frame.h"
#include "wnd.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <cstring>

namespace {

std::vector<std::string> LocalFiles(const QMimeData* pData)
{
    std::vector<std::string> files;
    if (pData == nullptr || !pData->hasUrls())
        return files;
    for (const QUrl& url : pData->urls()) {
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toLocal8Bit().toStdString());
    }
    return files;
}

// Sees the drags over every widget of the program and takes those of files
// over a window that accepts them, before the widget below (an edit control
// would insert the names as text).
class FileDropFilter : public QObject {
public:
    static FileDropFilter& Get()
    {
        static FileDropFilter* pFilter = [] {
            auto* p = new FileDropFilter;
            qApp->installEventFilter(p);
            return p;
        }();
        return *pFilter;
    }

    void Accept(CWnd* pWnd, bool bAccept)
    {
        // windows gone since are forgotten here too
        m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                       [pWnd](const Window& w) {
                                           return w.widget.isNull() || w.pWnd == pWnd;
                                       }),
                        m_windows.end());
        if (bAccept && pWnd->GetWidget() != nullptr)
            m_windows.push_back({pWnd->GetWidget(), pWnd});
    }

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override
    {
        const QEvent::Type type = pEvent->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        auto* pWidget = qobject_cast<QWidget*>(pObject);
        CWnd* pWnd = pWidget != nullptr ? Target(pWidget) : nullptr;
        if (pWnd == nullptr)
            return false;
        auto* pDrop = static_cast<QDropEvent*>(pEvent);
        std::vector<std::string> files = LocalFiles(pDrop->mimeData());
        if (files.empty())
            return false;  // not files: the widget's own business (a text drop)
        pDrop->setDropAction(Qt::CopyAction);
        pDrop->accept();
        if (type == QEvent::Drop) {
            // opened from the event loop, once the drop is over (a save
            // prompt may come first)
            QPointer<QWidget> guard(pWnd->GetWidget());
            QMetaObject::invokeMethod(
                pWnd->GetWidget(),
                [guard, pWnd, files] {
                    if (!guard)
                        return;
                    HDROP__ drop{files};
                    pWnd->OnDropFiles(&drop);
                },
                Qt::QueuedConnection);
        }
        return true;
    }

private:
    // A window's widget lives no longer than the window.
    struct Window {
        QPointer<QWidget> widget;
        CWnd* pWnd;
    };

    CWnd* Target(QWidget* pWidget) const
    {
        for (const Window& w : m_windows) {
            QWidget* pTop = w.widget.data();
            if (pTop != nullptr && (pWidget == pTop || pTop->isAncestorOf(pWidget)))
                return w.pWnd;
        }
        return nullptr;
    }

    std::vector<Window> m_windows;
};

}  // namespace

UINT DragQueryFile(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch)
{
    if (hDrop == nullptr)
        return 0;
    if (iFile == 0xFFFFFFFFu)
        return static_cast<UINT>(hDrop->files.size());
    if (iFile >= hDrop->files.size())
        return 0;
    const std::string& name = hDrop->files[iFile];
    if (lpszFile != nullptr && cch > 0) {
        const size_t n = std::min<size_t>(name.size(), cch - 1);
        std::memcpy(lpszFile, name.data(), n);
        lpszFile[n] = '\0';
        return static_cast<UINT>(n);
    }
    return static_cast<UINT>(name.size());
}

void DragFinish(HDROP)
{
    // the drop's names belong to the event that carried them
}

void CWnd::DragAcceptFiles(BOOL bAccept)
{
    if (QWidget* pWidget = GetWidget()) {
        if (bAccept)
            pWidget->setAcceptDrops(true);
        FileDropFilter::Get().Accept(this, bAccept != FALSE);
    }
}

void CWnd::OnDropFiles(HDROP hDropInfo)
{
    DragFinish(hDropInfo);
}

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
