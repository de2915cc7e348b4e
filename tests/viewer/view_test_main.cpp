#include "view_test_main.h"

#include "clipboard.h"
#include "cp932text.h"
#include "test_home.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QWidget>


namespace viewtest {

Window Window::Make(bool ruvokView, int width, int height)
{
    Window w;
    w.host = std::make_unique<CWnd>();
    RECT frame{0, 0, width, height};
    EXPECT_TRUE(w.host->Create(nullptr, nullptr, WS_OVERLAPPED, frame, nullptr, 0));
    w.doc = std::make_unique<TestDoc>();
    CObject* object = ruvokView ? RUNTIME_CLASS(CRuvokView)->CreateObject() : new PlainEditView;
    w.owner.reset(static_cast<CEditView*>(object));
    w.view = w.owner.get();
    CCreateContext context;
    context.m_pCurrentDoc = w.doc.get();
    RECT rect{0, 0, width, height};
    EXPECT_TRUE(w.view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, rect, w.host.get(),
                               AFX_IDW_PANE_FIRST, &context));
    return w;
}

void Window::ShowAndPaint()
{
    host->GetWidget()->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(host->GetWidget()));
    Widget()->repaint();
    QApplication::processEvents();
}

std::string Window::Text() const
{
    return std::string(view->LockBuffer(), view->GetBufferLength());
}

void Window::SetText(const std::string& bytes) const
{
    view->GetEditCtrl().SetWindowText(bytes.c_str());
}

void SetClipboardBytes(const std::string& bytes)
{
    QGuiApplication::clipboard()->setText(cp932::Decode(bytes.data(), bytes.size()));
}

std::string ClipboardBytes()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText())
        return "<no text>";
    return cp932::Encode(data->text()).toStdString();
}

}  // namespace viewtest
