// A view of the viewer's own class in a plain parent window, with a
// document of its own, on Qt's offscreen platform.
#ifndef RUVOK_TESTS_VIEW_TEST_MAIN_H
#define RUVOK_TESTS_VIEW_TEST_MAIN_H

#include "document.h"
#include "editview.h"
#include "hex.h"
#include "ruvokview.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <memory>
#include <string>

namespace viewtest {

class TestDoc : public CDocument {
public:
    TestDoc() = default;
};

// The framework's edit view as it is, without the viewer's changes.
class PlainEditView : public CEditView {
public:
    PlainEditView() = default;
};

struct Window {
    std::unique_ptr<CWnd> host;
    std::unique_ptr<TestDoc> doc;
    CEditView* view = nullptr;  // owned here
    std::unique_ptr<CEditView> owner;

    // A CRuvokView, or the plain edit view, width x height pixels.
    static Window Make(bool ruvokView, int width = 400, int height = 300);
    // Shows the window and waits until the view has painted.
    void ShowAndPaint();

    std::string Text() const;
    void SetText(const std::string& bytes) const;
    QWidget* Widget() const { return view->GetWidget(); }
};

// The clipboard's text as CF_TEXT bytes would hold it.
void SetClipboardBytes(const std::string& bytes);
std::string ClipboardBytes();

}  // namespace viewtest

#endif
