// What reaches the edit control from the user through Qt: paints, keys,
// input methods, Qt's own paste and drops (files go to the window that takes
// them). Each way of changing the text becomes the control's own (paste,
// cut, Enter) or lets in only what code page 932 can hold.
#include "editcontrol.h"

#include "clipboard.h"
#include "cp932text.h"
#include "editlayout.h"
#include "editselection.h"
#include "edittext.h"
#include "filedrop.h"
#include "wnd.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

void EditControl::paintEvent(QPaintEvent* e)
{
    QPaintEvent* saved = m_pPaintEvent;
    m_pPaintEvent = e;
    m_pOwner->SendMessage(WM_PAINT);
    m_pPaintEvent = saved;
}

void EditControl::keyPressEvent(QKeyEvent* e)
{
    RealizeWhole();
    if (e == QKeySequence::Paste) {
        m_pOwner->SendMessage(WM_PASTE);
        return;
    }
    if (e == QKeySequence::Cut) {
        m_pOwner->SendMessage(WM_CUT);
        return;
    }
    if (e == QKeySequence::Copy) {
        m_pOwner->SendMessage(WM_COPY);
        return;
    }
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
    if (e == QKeySequence::InsertParagraphSeparator || e == QKeySequence::InsertLineSeparator
        || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        InsertLineEnd();
        return;
    }
    const QString text = e->text();
    // A character outside the first plane (an emoji) comes as a pair.
    const char32_t first = text.isEmpty() ? 0
                           : text.size() > 1 && text.at(0).isHighSurrogate()
                               ? QChar::surrogateToUcs4(text.at(0), text.at(1))
                               : text.at(0).unicode();
    const bool typing = first != 0 && QChar::isPrint(first)
                        && (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    if (typing) {
        const QString storable = cp932::MakeStorable(text);
        QTextCursor c = textCursor();
        if (!FitsLimit(c, cp932::EncodedLength(storable))) {
            QApplication::beep();
            return;
        }
        const bool shaped = editlayout::NeedsShaping(QStringView(storable));
        if (storable != text || shaped) {
            c.insertText(storable, shaped ? editlayout::Shaped(c.charFormat()) : c.charFormat());
            setTextCursor(c);
            ensureCursorVisible();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(e);
}

void EditControl::inputMethodEvent(QInputMethodEvent* e)
{
    RealizeWhole();
    const QString commit = e->commitString();
    if (commit.isEmpty() || isReadOnly()) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    const QString storable = cp932::MakeStorable(commit);
    if (editlayout::NeedsShaping(QStringView(storable)))
        mergeCurrentCharFormat(editlayout::Shaped());
    if (!FitsLimit(textCursor(), cp932::EncodedLength(storable))) {
        QApplication::beep();
        QInputMethodEvent cancelled(QString(), e->attributes());
        QPlainTextEdit::inputMethodEvent(&cancelled);
        return;
    }
    if (storable == commit) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    QInputMethodEvent replaced(e->preeditString(), e->attributes());
    replaced.setCommitString(storable, e->replacementStart(), e->replacementLength());
    QPlainTextEdit::inputMethodEvent(&replaced);
}

// A click, a wheel turn or a drag may go anywhere in the text: all of it
// is there first.
bool EditControl::viewportEvent(QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
        RealizeWhole();
        break;
    default:
        break;
    }
    return QPlainTextEdit::viewportEvent(e);
}

// A drop is text in whatever form the paste can read, not only Qt's.
bool EditControl::canInsertFromMimeData(const QMimeData* source) const
{
    return OffersText(source);
}

// Qt's own paste (the context menu), a drop and a middle click end here:
// each becomes the window's WM_PASTE. A drop has put its data in place of
// the clipboard; a middle click hands over the X selection, which stands in
// for the clipboard the same way.
void EditControl::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly())
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (source != nullptr && clipboard->supportsSelection()
        && source == clipboard->mimeData(QClipboard::Selection)
        && source != clipboard->mimeData(QClipboard::Clipboard)) {
        ClipboardRedirect redirect(source, ClipboardRedirect::From::XSelection);
        m_pOwner->SendMessage(WM_PASTE);
        return;
    }
    m_pOwner->SendMessage(WM_PASTE);
}

QMimeData* EditControl::createMimeDataFromSelection() const
{
    const QTextCursor c = textCursor();
    return new SelectionText(*TextDoc(), c.selectionStart(), c.selectionEnd());
}

// Files dragged here go to the window that takes them (the frame opens the
// first); they are not text for the control.
void EditControl::dragEnterEvent(QDragEnterEvent* e)
{
    if (!AfxFileDropEvent(this, e))
        QPlainTextEdit::dragEnterEvent(e);
}

void EditControl::dragMoveEvent(QDragMoveEvent* e)
{
    if (!AfxFileDropEvent(this, e))
        QPlainTextEdit::dragMoveEvent(e);
}

void EditControl::dropEvent(QDropEvent* e)
{
    if (AfxFileDropEvent(this, e))
        return;
    RealizeWhole();
    // Dragged from another program: its bytes, as a paste reads them.
    ClipboardRedirect redirect(e->mimeData(), e->source() == nullptr ? ClipboardRedirect::From::XDrop
                                                                     : ClipboardRedirect::From::Data);
    QPlainTextEdit::dropEvent(e);
}
