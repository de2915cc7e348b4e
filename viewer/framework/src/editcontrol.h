// The Qt widget that is the edit control: it answers the edit control's
// messages (its text as code page 932 bytes, byte offsets, the limit, tab
// stops, the clipboard commands, undo) and keeps every way of changing the
// text either its own (paste, cut, Enter) or filtered, so that only what
// code page 932 can hold gets in. It knows its owner (the window it is) only
// as a CWnd: it tells it of the user's changes by EN_CHANGE, as an edit
// control does. The messages and the text are in editcontrol.cpp, what the
// user does through Qt in editcontrolinput.cpp.
#ifndef RUVOK_EDITCONTROL_H
#define RUVOK_EDITCONTROL_H

#include "afx.h"
#include "editrows.h"
#include "font.h"

#include <QByteArray>
#include <QPlainTextEdit>

#include <cstddef>
#include <vector>

class CWnd;
class QTextDocument;

class EditControl : public QPlainTextEdit {
    Q_OBJECT

public:
    // Tab stops as an edit control starts, in dialog units.
    static constexpr int kDefaultTabStop = 32;

    // pOwner: the window the control is, which hears its notifications and
    // its messages' defaults.
    EditControl(CWnd* pOwner, QWidget* pParent);

    // Handles one of the edit control's messages into result; false for any
    // other message, which then goes to the owner's own default.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The text, valid until it changes.
    const QByteArray& Bytes();

    // What the edit commands need to be enabled.
    bool HasSelection() const;
    bool HasText() const;
    bool CanUndo() const;

    // How many times the text has changed, to tell what was read of it
    // before from what is there now.
    int Changes() const { return m_changes; }
    // Replaces the positions from..to with text as the user's own edit would
    // (only what code page 932 can hold, within the limit); false, and
    // nothing changes, where it can't.
    bool ReplaceText(int from, int to, const QString& text);

    // Keys where a line goes on in the next block (editcontroljoins.cpp).
    bool event(QEvent* e) override;

protected:
    // What the user does, through Qt (editcontrolinput.cpp).
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    // Clicks where a line goes on in the next block (editcontroljoins.cpp).
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The messages, by what they touch.
    LRESULT Paint();
    LRESULT SetFontHandle(WPARAM wParam, LPARAM lParam);
    LRESULT GetText(WPARAM wParam, LPARAM lParam);
    LRESULT SetTabStops(WPARAM wParam, LPARAM lParam);
    LRESULT GetSel(WPARAM wParam, LPARAM lParam);
    LRESULT SetSel(WPARAM wParam, LPARAM lParam);
    LRESULT ClipboardCommand(UINT message);
    LRESULT PasteClipboard();

    // A whole new text, waiting beside the widget until its first paint.
    void SetText(const char* bytes, std::size_t n);
    // The document the text is in: the one waiting, or the widget's.
    QTextDocument* TextDoc() const;
    // Puts a waiting text into the widget.
    void Realize();
    // Puts the rest of a new text in after its first screenful; then the
    // whole text is there.
    void CompleteText();
    // Both: the whole text in the widget, for whatever may look anywhere in it.
    void RealizeWhole();
    // Inserts code page 932 bytes in place of the selection, as one step the
    // user can undo; false (and nothing changes) past the limit.
    bool InsertBytes(const char* bytes, std::size_t n, bool asUserEdit);
    void InsertLineEnd();
    // Whether replacing the selection of c by n more bytes stays within the
    // limit.
    bool FitsLimit(const QTextCursor& c, std::size_t n);

    // Where a line goes on in the next block: a row on screen may be the
    // last line of one block and the first of the next (editcontroljoins.cpp).
    EditRowsLayout* Rows() const;
    bool HasJoins() const;
    // A position at the end of a block that goes on in the next one is the
    // same place as the next one's start, which is where the cursor stays.
    bool IsBeforeJoin(int pos) const;
    int PastJoin(int pos) const;
    int PositionInRow(const std::vector<EditRowsLayout::Part>& row, qreal x) const;
    std::vector<EditRowsLayout::Part> RowAt(int pos) const;
    bool MoveByRow(bool down, bool keepAnchor);
    void SettleAfterKey(QKeyEvent* e, int before, int changesBefore,
                        const std::vector<EditRowsLayout::Part>& rowBefore, qreal xBefore);
    int PositionAt(const QPointF& point) const;
    void PaintHangingLines(const QRect& area);

    qreal TabStopDistance() const;
    void ApplyTabStops();
    void AdoptDocument(QTextDocument* doc);

    CWnd* m_pOwner;
    std::size_t m_limit;
    int m_tabStopDlu = kDefaultTabStop;
    HFONT m_hFont = nullptr;
    int m_internal = 0;  // > 0 while the control itself changes the text
    QPaintEvent* m_pPaintEvent = nullptr;
    QTextDocument* m_pPending = nullptr;
    QByteArray m_rest;  // of a new text, still to go in after its first screenful
    bool m_bPainted = false;
    bool m_bytesValid = false;
    QByteArray m_bytes;
    int m_changes = 0;        // of the text, counted
    qreal m_rowX = -1;        // where moves by row aim, while they go on
};

#endif
