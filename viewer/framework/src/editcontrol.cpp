// The edit control widget: its messages and its text (the user's input is in
// editcontrolinput.cpp).
#include "editcontrol.h"

#include "clipboard.h"
#include "cp932text.h"
#include "editlayout.h"
#include "editselection.h"
#include "edit.h"
#include "edittext.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr UINT kDefaultLimit = 30000;  // as an edit control starts

}  // namespace

EditControl::EditControl(CWnd* pOwner, QWidget* pParent)
    : QPlainTextEdit(pParent), m_pOwner(pOwner), m_limit(kDefaultLimit)
{
    // A document laid out by rows from the start: a paste may bring a long line.
    auto* doc = new QTextDocument(this);
    doc->setDefaultFont(font());
    doc->setDocumentLayout(new EditRowsLayout(doc));
    setDocument(doc);
    setUndoRedoEnabled(true);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    edittext::TrackBytes(document());
    AdoptDocument(document());
    viewport()->installEventFilter(this);
}

// ---------------------------------------------------------------------------
// Messages

bool EditControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    // A message may change the text: the selection offered before it is
    // taken first.
    if (message != WM_PAINT)
        SelectionText::TakeOffered();
    const SelectionText::Later now(false);
    // A text waiting for the first paint goes into the widget, and all of
    // a long one, before anything may look at them; these few look at
    // neither,
    switch (message) {
    case WM_SETFONT:
    case WM_GETFONT:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case EM_LIMITTEXT:
    case EM_GETLIMITTEXT:
    case EM_SETTABSTOPS:
    case WM_PAINT:
        break;
    // and these at the widget's flags only, not at the text.
    case EM_GETMODIFY:
    case EM_SETMODIFY:
    case EM_CANUNDO:
    case EM_EMPTYUNDOBUFFER:
        Realize();
        break;
    default:
        RealizeWhole();
        break;
    }

    switch (message) {
    case WM_PAINT:
        result = Paint();
        return true;
    case WM_SETFONT:
        result = SetFontHandle(wParam, lParam);
        return true;
    case WM_GETFONT:
        result = reinterpret_cast<LRESULT>(m_hFont);
        return true;

    case WM_SETTEXT: {
        // wParam, when not 0, is the text's length: a converted text may
        // hold 00 bytes, which are kept like any byte the code page can't show.
        const char* text = reinterpret_cast<const char*>(lParam);
        if (text == nullptr)
            SetText("", 0);
        else
            SetText(text, wParam != 0 ? static_cast<std::size_t>(wParam) : std::strlen(text));
        result = TRUE;
        return true;
    }
    case WM_GETTEXTLENGTH:
        result = static_cast<LRESULT>(Bytes().size());
        return true;
    case WM_GETTEXT:
        result = GetText(wParam, lParam);
        return true;

    case EM_LIMITTEXT:
        m_limit = wParam == 0 ? CEdit::kMaxTextLimit : static_cast<std::size_t>(wParam);
        result = 0;
        return true;
    case EM_GETLIMITTEXT:
        result = static_cast<LRESULT>(m_limit);
        return true;
    case EM_SETTABSTOPS:
        result = SetTabStops(wParam, lParam);
        return true;

    case EM_GETSEL:
        result = GetSel(wParam, lParam);
        return true;
    case EM_SETSEL:
        result = SetSel(wParam, lParam);
        return true;
    case EM_REPLACESEL: {
        const char* text = reinterpret_cast<const char*>(lParam);
        if (text != nullptr)
            InsertBytes(text, std::strlen(text), true);
        result = 0;
        return true;
    }

    case WM_COPY:
    case WM_CUT:
    case WM_CLEAR:
        result = ClipboardCommand(message);
        return true;
    case WM_PASTE:
        result = PasteClipboard();
        return true;

    case WM_UNDO:
    case EM_UNDO:
        result = document()->isUndoAvailable() ? TRUE : FALSE;
        if (result != FALSE)
            undo();
        return true;
    case EM_CANUNDO:
        result = document()->isUndoAvailable() ? TRUE : FALSE;
        return true;
    case EM_EMPTYUNDOBUFFER:
        document()->clearUndoRedoStacks();
        result = 0;
        return true;
    case EM_GETMODIFY:
        result = document()->isModified() ? TRUE : FALSE;
        return true;
    case EM_SETMODIFY:
        document()->setModified(wParam != 0);
        result = 0;
        return true;
    case EM_GETLINECOUNT:
        result = edittext::LineCount(*document());
        return true;
    default:
        return false;
    }
}

LRESULT EditControl::Paint()
{
    Realize();
    if (m_pPaintEvent != nullptr) {
        m_bPainted = true;
        QPlainTextEdit::paintEvent(m_pPaintEvent);
        if (HasJoins())
            PaintHangingLines(m_pPaintEvent->rect());
    } else {
        viewport()->update();
    }
    return 0;
}

LRESULT EditControl::SetFontHandle(WPARAM wParam, LPARAM lParam)
{
    auto hFont = reinterpret_cast<HFONT>(wParam);
    ++m_internal;
    m_hFont = hFont;
    setFont(FontFromHandle(hFont));
    ApplyTabStops();
    --m_internal;
    if (lParam != 0)
        viewport()->update();
    return 0;
}

LRESULT EditControl::GetText(WPARAM wParam, LPARAM lParam)
{
    const auto max = static_cast<std::size_t>(wParam);
    char* out = reinterpret_cast<char*>(lParam);
    if (max == 0 || out == nullptr)
        return 0;
    const QByteArray& bytes = Bytes();
    const std::size_t n = std::min(max - 1, static_cast<std::size_t>(bytes.size()));
    std::memcpy(out, bytes.constData(), n);
    out[n] = '\0';
    return static_cast<LRESULT>(n);
}

LRESULT EditControl::SetTabStops(WPARAM wParam, LPARAM lParam)
{
    const int* stops = reinterpret_cast<const int*>(lParam);
    m_tabStopDlu = (wParam == 0 || stops == nullptr) ? kDefaultTabStop : stops[0];
    ApplyTabStops();
    return TRUE;
}

LRESULT EditControl::GetSel(WPARAM wParam, LPARAM lParam)
{
    const QTextCursor c = textCursor();
    const int start = edittext::ByteOffsetOf(*TextDoc(), c.selectionStart());
    const int end = edittext::ByteOffsetOf(*TextDoc(), c.selectionEnd());
    if (wParam != 0)
        *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
    if (lParam != 0)
        *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
    return static_cast<LRESULT>((static_cast<DWORD>(end) & 0xFFFF) << 16
                                | (static_cast<DWORD>(start) & 0xFFFF));
}

LRESULT EditControl::SetSel(WPARAM wParam, LPARAM lParam)
{
    const auto start = static_cast<int>(static_cast<std::intptr_t>(wParam));
    const auto end = static_cast<int>(lParam);
    QTextCursor c = textCursor();
    if (start < 0) {
        c.clearSelection();
    } else {
        c.setPosition(edittext::PositionOfByteOffset(*TextDoc(), start));
        c.setPosition(edittext::PositionOfByteOffset(*TextDoc(), end), QTextCursor::KeepAnchor);
    }
    setTextCursor(c);
    return 0;
}

LRESULT EditControl::ClipboardCommand(UINT message)
{
    if (!textCursor().hasSelection())
        return 0;
    if (message == WM_COPY) {
        copy();
    } else if (!isReadOnly()) {
        if (message == WM_CUT) {
            cut();
        } else {
            QTextCursor c = textCursor();
            c.removeSelectedText();
            setTextCursor(c);
        }
    }
    return 0;
}

// The control's own paste: the clipboard's CF_TEXT at the cursor.
LRESULT EditControl::PasteClipboard()
{
    if (isReadOnly() || !IsClipboardFormatAvailable(CF_TEXT))
        return 0;
    if (!OpenClipboard(m_pOwner->m_hWnd))
        return 0;
    QByteArray bytes;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(winapi_detail::LockBlock(h))) {
            bytes = QByteArray(p, static_cast<qsizetype>(strnlen(p, GlobalSize(h))));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    if (!bytes.isEmpty() && !InsertBytes(bytes.constData(), static_cast<std::size_t>(bytes.size()), true))
        QApplication::beep();
    return 0;
}

// ---------------------------------------------------------------------------
// The text

const QByteArray& EditControl::Bytes()
{
    CompleteText();
    if (!m_bytesValid) {
        m_bytes.clear();
        edittext::AppendBytes(*TextDoc(), m_bytes);
        m_bytesValid = true;
    }
    return m_bytes;
}

bool EditControl::HasSelection() const
{
    // A text still waiting for the first paint has no selection yet.
    return m_pPending == nullptr && textCursor().hasSelection();
}

bool EditControl::HasText() const
{
    return TextDoc()->characterCount() > 1;
}

bool EditControl::CanUndo() const
{
    return TextDoc()->isUndoAvailable();
}

// Until the control first paints (and gets its font there), a new text
// waits beside it: laying it out in the old font first would double the
// work of the first paint. Only its first screenful is there for that
// paint; the rest goes in right after it, or as soon as anything needs the
// whole text (every message but the paint, the font and the limit, every
// key, click, wheel turn and drop).
void EditControl::SetText(const char* bytes, std::size_t n)
{
    std::size_t first = edittext::LeadingLinesLength(bytes, n);
    // A line cut inside is held in blocks, which a rest that wraps anywhere
    // would not keep: such a text goes in whole.
    if (first < n && bytes[first - 1] != '\n' && editlayout::HasOverlongWord(bytes + first, n - first))
        first = n;
    cp932::Lines lines = cp932::DecodeLines(bytes, first);
    edittext::GroupShortLines(lines);
    QTextDocument* doc = editlayout::NewDocument(lines, *TextDoc(), this);
    edittext::TrackBytes(doc);
    m_rest = QByteArray(bytes + first, static_cast<qsizetype>(n - first));
    m_bytesValid = false;
    delete m_pPending;
    m_pPending = doc;
    if (m_bPainted)
        Realize();
}

QTextDocument* EditControl::TextDoc() const
{
    return m_pPending != nullptr ? m_pPending : document();
}

void EditControl::Realize()
{
    if (m_pPending == nullptr)
        return;
    QTextDocument* doc = m_pPending;
    m_pPending = nullptr;
    // setDocument deletes the widget's first document itself.
    QPointer<QTextDocument> old = document();
    ++m_internal;
    editlayout::MoveIntoWidget(*this, doc, TabStopDistance());
    AdoptDocument(doc);
    --m_internal;
    if (old != nullptr && old->parent() == this)
        delete old.data();
    m_bytesValid = false;
    if (!m_rest.isEmpty())
        QTimer::singleShot(0, this, [this] { CompleteText(); });
}

void EditControl::RealizeWhole()
{
    Realize();
    CompleteText();
}

void EditControl::CompleteText()
{
    if (m_rest.isEmpty())
        return;
    const QByteArray rest = std::exchange(m_rest, QByteArray());
    cp932::Lines lines = cp932::DecodeLines(rest.constData(), static_cast<std::size_t>(rest.size()));
    edittext::GroupShortLines(lines);
    ++m_internal;
    editlayout::AppendLines(TextDoc(), lines);
    const QTextOption::WrapMode wrap = TextDoc()->defaultTextOption().wrapMode();
    if (m_pPending == nullptr && wordWrapMode() != wrap)
        setWordWrapMode(wrap);
    --m_internal;
    m_bytesValid = false;
}

bool EditControl::ReplaceText(int from, int to, const QString& text)
{
    SelectionText::TakeOffered();
    RealizeWhole();
    if (isReadOnly())
        return false;
    const QTextCursor kept = textCursor();
    QTextCursor c = kept;
    c.setPosition(std::clamp(from, 0, document()->characterCount() - 1));
    c.setPosition(std::clamp(to, 0, document()->characterCount() - 1), QTextCursor::KeepAnchor);
    setTextCursor(c);
    const QByteArray bytes = cp932::Encode(cp932::MakeStorable(text));
    if (InsertBytes(bytes.constData(), static_cast<std::size_t>(bytes.size()), true))
        return true;
    setTextCursor(kept);
    QApplication::beep();
    return false;
}

bool EditControl::InsertBytes(const char* bytes, std::size_t n, bool asUserEdit)
{
    QTextCursor c = textCursor();
    if (!FitsLimit(c, n))
        return false;
    const cp932::Lines lines = cp932::DecodeLines(bytes, n);
    if (!asUserEdit)
        ++m_internal;
    c.beginEditBlock();
    c.removeSelectedText();
    const bool anywhere = editlayout::HasOverlongWord(lines.text);
    if (anywhere)
        setWordWrapMode(QTextOption::WrapAnywhere);
    // The line the cursor was in keeps its own end, after the text.
    const int start = c.position();
    edittext::InsertLines(c, lines, editlayout::Shaped(c.charFormat()),
                          !anywhere && wordWrapMode() != QTextOption::WrapAnywhere);
    editlayout::ShapeOnlyWhereNeeded(document(), start, c.position());
    c.endEditBlock();
    if (!asUserEdit)
        --m_internal;
    setTextCursor(c);
    ensureCursorVisible();
    m_bytesValid = false;
    return true;
}

void EditControl::InsertLineEnd()
{
    QTextCursor c = textCursor();
    if (!FitsLimit(c, 2)) {
        QApplication::beep();
        return;
    }
    c.beginEditBlock();
    c.removeSelectedText();
    // The line the cursor was in keeps its own end, after the new one.
    c.insertBlock(c.blockFormat(), edittext::Marked(c.charFormat(), cp932::LineEnd::CrLf));
    c.endEditBlock();
    setTextCursor(c);
    ensureCursorVisible();
    m_bytesValid = false;
}

// The cheap bound (two bytes a character at most) settles nearly every case;
// the exact count runs only near the limit.
bool EditControl::FitsLimit(const QTextCursor& c, std::size_t n)
{
    const std::size_t chars = static_cast<std::size_t>(TextDoc()->characterCount());
    if (2 * chars + n <= m_limit)
        return true;
    const std::size_t current = static_cast<std::size_t>(Bytes().size());
    const std::size_t selected =
        c.hasSelection()
            ? static_cast<std::size_t>(
                  edittext::BytesBetween(*TextDoc(), c.selectionStart(), c.selectionEnd()).size())
            : 0;
    return current - selected + n <= m_limit;
}

qreal EditControl::TabStopDistance() const
{
    // Dialog units: four to the width of an average character.
    const QFontMetricsF metrics(font());
    return m_tabStopDlu * metrics.horizontalAdvance(QLatin1Char('0')) / 4.0;
}

void EditControl::ApplyTabStops()
{
    setTabStopDistance(TabStopDistance());
}

void EditControl::AdoptDocument(QTextDocument* doc)
{
    connect(doc, &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        m_bytesValid = false;
        ++m_changes;
        if (m_internal == 0 && (removed != 0 || added != 0))
            m_pOwner->SendMessage(WM_COMMAND,
                                  AfxCommandWParam(m_pOwner->GetDlgCtrlID(), EN_CHANGE),
                                  reinterpret_cast<LPARAM>(m_pOwner->m_hWnd));
    });
}
