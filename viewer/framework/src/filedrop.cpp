// Files dropped on a window (see filedrop.h): the windows that take them, the
// drag and drop events turned into a window's OnDropFiles, DragQueryFile.
#include "filedrop.h"

#include "filename.h"
#include "wnd.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#ifdef _WIN32
#include <QUrl>
#endif
#include <QWidget>

#include <algorithm>
#include <cstring>

namespace {

// The local files of a drop, as their bytes: the list's URIs are taken as
// the drag source wrote them and percent-decoded, where Qt's URLs would
// decode each path as UTF-8 and lose a Shift_JIS or EUC-JP name.
std::vector<std::string> LocalFiles(const QMimeData* pData)
{
    std::vector<std::string> files;
    if (pData == nullptr || !pData->hasUrls())
        return files;
#ifdef _WIN32
    for (const QUrl& url : pData->urls()) {
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toLocal8Bit().toStdString());
    }
#else
    const QByteArray list = pData->data(QStringLiteral("text/uri-list"));
    for (const QByteArray& line : list.split('\n')) {
        const QByteArray uri = line.trimmed();
        std::string path;
        if (!uri.isEmpty() && !uri.startsWith('#') && AfxPathFromFileUri(uri.toStdString(), path))
            files.push_back(path);
    }
#endif
    return files;
}

// The windows that take files, by their widgets; a window's widget lives no
// longer than the window.
struct AcceptingWindow {
    QPointer<QWidget> widget;
    CWnd* pWnd;
    QPointer<QObject> filter;  // belongs to the widget
};
std::vector<AcceptingWindow>& AcceptingWindows()
{
    static std::vector<AcceptingWindow> windows;
    return windows;
}

// The nearest window, pWidget's own or one it sits in, that takes files.
CWnd* DropTarget(QWidget* pWidget)
{
    for (QWidget* p = pWidget; p != nullptr; p = p->parentWidget()) {
        for (const AcceptingWindow& w : AcceptingWindows()) {
            if (w.widget.data() == p)
                return w.pWnd;
        }
    }
    return nullptr;
}

// Files dragged over a window that takes them, or over a child without drops
// of its own (Qt hands those to the window).
class FileDropFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override
    {
        const QEvent::Type type = pEvent->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        return AfxFileDropEvent(static_cast<QWidget*>(pObject), static_cast<QDropEvent*>(pEvent));
    }
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

bool AfxFileDropEvent(QWidget* pWidget, QDropEvent* pDrop)
{
    CWnd* pWnd = DropTarget(pWidget);
    if (pWnd == nullptr)
        return false;
    std::vector<std::string> files = LocalFiles(pDrop->mimeData());
    if (files.empty())
        return false;  // not files: the widget's own business (a text drop)
    pDrop->setDropAction(Qt::CopyAction);
    pDrop->accept();
    if (pDrop->type() == QEvent::Drop) {
        // opened from the event loop, once the drop is over (a save prompt
        // may come first)
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

void AfxAcceptFileDrops(CWnd* pWnd, BOOL bAccept)
{
    QWidget* pWidget = pWnd->GetWidget();
    if (pWidget == nullptr)
        return;
    std::vector<AcceptingWindow>& windows = AcceptingWindows();
    // this window's entry goes (its filter with it), and those of windows
    // gone since
    for (AcceptingWindow& w : windows) {
        if (w.pWnd == pWnd)
            delete w.filter.data();
    }
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [pWnd](const AcceptingWindow& w) {
                                     return w.widget.isNull() || w.pWnd == pWnd;
                                 }),
                  windows.end());
    if (!bAccept)
        return;
    auto* pFilter = new FileDropFilter(pWidget);
    pWidget->installEventFilter(pFilter);
    pWidget->setAcceptDrops(true);
    windows.push_back({pWidget, pWnd, pFilter});
}
