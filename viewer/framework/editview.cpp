#include "editview.h"

#include "clipboard.h"
#include "cp932text.h"
#include "document.h"
#include "font.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstring>

namespace {

// A line end other than CR LF is marked in the character format of the
// block separator that stands for it. The mark goes wherever the separator
// goes: it leaves with the separator when lines are joined, and comes back
// with it when that is undone.
constexpr int kLineEndMark = QTextFormat::UserProperty + 1;
constexpr int kMarkCr = 1;
constexpr int kMarkLf = 2;

// The line end after a block. A block's character format is that of the
// separator before it.
cp932::LineEnd EndOf(const QTextBlock& block)
{
    const QTextBlock next = block.next();
    if (!next.isValid())
        return cp932::LineEnd::CrLf;
    switch (next.charFormat().intProperty(kLineEndMark)) {
    case kMarkCr:
        return cp932::LineEnd::Cr;
    case kMarkLf:
        return cp932::LineEnd::Lf;
    default:
        return cp932::LineEnd::CrLf;
    }
}

// format, marked for a separator that stands for end.
QTextCharFormat Marked(QTextCharFormat format, cp932::LineEnd end)
{
    switch (end) {
    case cp932::LineEnd::Cr:
        format.setProperty(kLineEndMark, kMarkCr);
        break;
    case cp932::LineEnd::Lf:
        format.setProperty(kLineEndMark, kMarkLf);
        break;
    case cp932::LineEnd::CrLf:
        format.clearProperty(kLineEndMark);
        break;
    }
    return format;
}

// Inserts decoded lines at the cursor in format, each separator marked with
// its own line end.
void InsertLines(QTextCursor& cursor, const cp932::Lines& lines, const QTextCharFormat& format)
{
    const QTextCharFormat plain = Marked(format, cp932::LineEnd::CrLf);
    const QString& text = lines.text;
    auto odd = lines.oddEnds.begin();
    qsizetype from = 0;
    std::size_t line = 0;
    for (qsizetype i = 0; odd != lines.oddEnds.end() && i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\n'))
            continue;
        if (odd->line == line) {
            if (i > from)
                cursor.insertText(text.mid(from, i - from), plain);
            cursor.insertBlock(cursor.blockFormat(), Marked(plain, odd->end));
            from = i + 1;
            ++odd;
        }
        ++line;
    }
    if (from == 0)
        cursor.insertText(text, plain);
    else if (from < text.size())
        cursor.insertText(text.mid(from), plain);
}

// A run of text without a break opportunity longer than this makes Qt's
// word-boundary wrapping quadratic (each line searches the whole run for a
// boundary), so such a text wraps anywhere instead.
constexpr qsizetype kLongestWrappableWord = 2048;

// Whether text has a run of letters and digits with no space, tab or
// ideograph between them longer than kLongestWrappableWord.
bool HasOverlongWord(const QString& text)
{
    qsizetype run = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u' ' || c == u'\t' || c == u'\n' || c == cp932::kLineInBlock || c >= 0x2E80)
            run = 0;
        else if (++run > kLongestWrappableWord)
            return true;
    }
    return false;
}

// Laying out a line shapes all of it, and in a long line of Japanese text
// that takes most of the time: Qt shapes each run of one script by itself,
// and the script changes every few characters. Code page 932 text is drawn
// the same without shaping, except what isn't printable: the selector that
// marks a duplicate code (with the character it follows), the stand-in for
// an undecodable byte, a control character, a user-defined one. Shaping
// draws those as boxes, or not at all where they should not show; without
// it they would vanish or show as boxes wrongly. So a long line is laid out
// unshaped but for those.
constexpr int kLongLine = 4096;  // characters

bool NeedsShaping(QChar c)
{
    return !c.isPrint() && c != QLatin1Char('\t');
}

bool NeedsShaping(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return NeedsShaping(c); });
}

// format, shaped.
QTextCharFormat Shaped(QTextCharFormat format = QTextCharFormat())
{
    format.setFontStyleStrategy(QFont::PreferDefault);
    return format;
}

// Sets where shaping is done over the document positions from..to, in the
// blocks there that are long.
void ShapeOnlyWhereNeeded(QTextDocument* doc, int from, int to)
{
    QTextCharFormat unshaped;
    unshaped.setFontStyleStrategy(QFont::PreferNoShaping);
    const QTextCharFormat shaped = Shaped();
    QTextCursor c(doc);
    for (QTextBlock block = doc->findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        if (block.length() <= kLongLine)
            continue;
        const int base = block.position();
        const int first = std::max(from, base) - base;
        const int last = std::min(to, base + block.length() - 1) - base;
        auto apply = [&](int s, int e, const QTextCharFormat& format) {
            if (e <= s)
                return;
            c.setPosition(base + s);
            c.setPosition(base + e, QTextCursor::KeepAnchor);
            c.mergeCharFormat(format);
        };
        const QString text = block.text();
        int run = first;
        for (int i = first; i < last; ++i) {
            if (!NeedsShaping(text[i]))
                continue;
            // A selector goes with the character before it.
            const int s = text[i].isHighSurrogate() ? std::max(run, i - 1) : i;
            int e = i + 1;
            while (e < last && NeedsShaping(text[e]))
                ++e;
            apply(run, s, unshaped);
            apply(s, e, shaped);
            run = e;
            i = e - 1;
        }
        apply(run, last, unshaped);
    }
}

constexpr int kDefaultTabStop = 32;  // dialog units
constexpr UINT kDefaultLimit = 30000;  // as an edit control starts

}  // namespace

// The widget behind the edit control: a QPlainTextEdit whose every way of
// changing the text is either the control's own (paste, cut, Enter) or
// filtered so that only characters code page 932 can hold get in.
class EditControl : public QPlainTextEdit {
public:
    EditControl(CEditView* pView, QWidget* pParent) : QPlainTextEdit(pParent), m_pView(pView)
    {
        setUndoRedoEnabled(true);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        AdoptDocument(document());
    }

    // --- the text as bytes ------------------------------------------------

    const QByteArray& Bytes()
    {
        if (!m_bytesValid) {
            m_bytes.clear();
            QTextDocument* doc = TextDoc();
            const QString raw = doc->toRawText();
            m_bytes.reserve(raw.size() + raw.size() / 4);
            QTextBlock block = doc->begin();
            qsizetype start = 0;
            for (;;) {
                const qsizetype sep = raw.indexOf(QChar::ParagraphSeparator, start);
                const qsizetype end = sep < 0 ? raw.size() : sep;
                cp932::Encode(QStringView(raw).mid(start, end - start), m_bytes);
                if (sep < 0)
                    break;
                m_bytes.append(cp932::LineEndBytes(EndOf(block)));
                block = block.next();
                start = sep + 1;
            }
            m_bytesValid = true;
        }
        return m_bytes;
    }

    // The byte offset of a character position, and back.
    int ByteOffsetOf(int pos)
    {
        QTextCursor c(TextDoc());
        c.setPosition(0);
        c.setPosition(std::clamp(pos, 0, TextDoc()->characterCount() - 1),
                      QTextCursor::KeepAnchor);
        return static_cast<int>(BytesOfSelection(c).size());
    }

    int PositionOfByteOffset(int offset)
    {
        if (offset < 0)
            return TextDoc()->characterCount() - 1;
        int bytes = 0;
        for (QTextBlock block = TextDoc()->begin(); block.isValid(); block = block.next()) {
            const QString text = block.text();
            for (qsizetype i = 0; i < text.size();) {
                // A character and its selector are one place to the control.
                const cp932::Unit unit = cp932::UnitAt(text, i);
                if (bytes + static_cast<int>(unit.bytes) > offset)
                    return block.position() + static_cast<int>(i);
                bytes += static_cast<int>(unit.bytes);
                i += unit.units;
            }
            if (!block.next().isValid())
                return block.position() + static_cast<int>(text.size());
            const int endLen = static_cast<int>(std::strlen(cp932::LineEndBytes(EndOf(block))));
            if (bytes + endLen > offset)
                return block.position() + static_cast<int>(text.size());
            bytes += endLen;
        }
        return TextDoc()->characterCount() - 1;
    }

    // The bytes a selection stands for, line ends included.
    QByteArray BytesOfSelection(const QTextCursor& c)
    {
        QByteArray out;
        const int from = c.selectionStart();
        const int to = c.selectionEnd();
        QTextBlock block = TextDoc()->findBlock(from);
        while (block.isValid() && block.position() <= to) {
            const int bstart = block.position();
            const int bend = bstart + block.length() - 1;  // at the separator
            const int s = std::max(from, bstart);
            const int e = std::min(to, bend);
            if (e > s)
                cp932::Encode(QStringView(block.text()).mid(s - bstart, e - s), out);
            if (to > bend && block.next().isValid())
                out.append(cp932::LineEndBytes(EndOf(block)));
            block = block.next();
        }
        return out;
    }

    // --- replacing and inserting text ----------------------------------

    // A text of very many lines costs the document a block per line, which
    // is slow to build and large (a file of 655,360 LFs: over a second and
    // 300 MB). Short CR LF lines of such a text share blocks instead, joined
    // by line separators, which store as CR LF; a line with any other end
    // still ends its block, so each block's own end stays as it was.
    static void GroupShortLines(cp932::Lines& lines)
    {
        constexpr qsizetype kManyLines = 8192;   // below this, a block a line
        constexpr qsizetype kShortLine = 16;     // characters
        constexpr int kLinesPerBlock = 64;
        if (lines.text.count(QLatin1Char('\n')) < kManyLines)
            return;
        auto odd = lines.oddEnds.begin();
        std::size_t line = 0;
        std::size_t block = 0;
        int inBlock = 1;
        qsizetype lineStart = 0;
        QChar* text = lines.text.data();
        for (qsizetype i = 0; i < lines.text.size(); ++i) {
            if (text[i] != QLatin1Char('\n'))
                continue;
            const bool isOdd = odd != lines.oddEnds.end() && odd->line == line;
            if (isOdd) {
                odd->line = block;  // from here on, the number of its block
                ++odd;
            }
            if (!isOdd && i - lineStart < kShortLine && inBlock < kLinesPerBlock) {
                text[i] = QChar(cp932::kLineInBlock);
                ++inBlock;
            } else {
                ++block;
                inBlock = 1;
            }
            ++line;
            lineStart = i + 1;
        }
    }

    // A whole new text: a fresh document, filled before any layout is
    // attached, so that filling costs no layout work per line.
    void SetText(const char* bytes, std::size_t n)
    {
        cp932::Lines lines = cp932::DecodeLines(bytes, n);
        GroupShortLines(lines);
        QTextDocument* old = TextDoc();
        auto* doc = new QTextDocument(this);
        doc->setUndoRedoEnabled(false);
        doc->setDefaultFont(old->defaultFont());
        QTextOption option = old->defaultTextOption();
        option.setWrapMode(HasOverlongWord(lines.text) ? QTextOption::WrapAnywhere
                                                       : QTextOption::WrapAtWordBoundaryOrAnywhere);
        doc->setDefaultTextOption(option);
        doc->setDocumentMargin(old->documentMargin());
        if (!lines.text.isEmpty()) {
            QTextCursor cursor(doc);
            InsertLines(cursor, lines, QTextCharFormat());
            ShapeOnlyWhereNeeded(doc, 0, cursor.position());
        }
        doc->setUndoRedoEnabled(true);
        doc->setModified(false);
        m_bytesValid = false;

        // Until the control first paints (and gets its font there), the
        // text waits beside it: laying it out in the old font first would
        // double the work of the first paint.
        delete m_pPending;
        m_pPending = doc;
        if (m_bPainted)
            Realize();
    }

    // The document the text is in: the one waiting for the first paint, or
    // the widget's.
    QTextDocument* TextDoc() const { return m_pPending != nullptr ? m_pPending : document(); }

    // Puts a waiting text into the widget.
    //
    // Qt lays a block out in full wherever it needs any of it, and it needs
    // some for nearly everything here: a text of one block is laid out at
    // once on each change of its options or layout, the cursor's block when
    // the widget takes the document, and the last screenful of blocks for
    // the scroll bar. For a single long line each of those is most of the
    // first paint's work. So the text goes in with everything already set,
    // an empty block in front (where the cursor is) and a screenful of empty
    // blocks behind; taking those out again leaves the text marked for one
    // layout, which the first paint needs anyway.
    void Realize()
    {
        if (m_pPending == nullptr)
            return;
        QTextDocument* doc = m_pPending;
        m_pPending = nullptr;
        // setDocument deletes the widget's first document itself.
        QPointer<QTextDocument> old = document();
        const QTextOption::WrapMode wrap = doc->defaultTextOption().wrapMode();
        doc->setDefaultFont(font());
        QTextOption option = doc->defaultTextOption();
        option.setTabStopDistance(TabStopDistance());
        doc->setDefaultTextOption(option);
        ++m_internal;
        doc->setUndoRedoEnabled(false);
        const int lines = viewport()->height() / std::max(1, QFontMetrics(font()).lineSpacing()) + 2;
        QTextCursor c(doc);
        c.insertBlock();
        c.setPosition(doc->characterCount() - 1);
        c.insertText(QString(lines, QLatin1Char('\n')));
        doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
        setDocument(doc);
        setWordWrapMode(wrap);
        // By position: a cursor that moves by characters or lines lays out
        // what it passes.
        c.beginEditBlock();
        const int end = doc->characterCount() - 1;
        c.setPosition(end - lines);
        c.setPosition(end, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        c.setPosition(0);
        c.deleteChar();
        c.endEditBlock();
        doc->setUndoRedoEnabled(true);
        doc->setModified(false);
        AdoptDocument(doc);
        --m_internal;
        if (old != nullptr && old->parent() == this)
            delete old.data();
        m_bytesValid = false;
    }

    // Inserts code page 932 bytes at the cursor in place of the selection,
    // as one step the user can undo. FALSE (and nothing changes) when the
    // limit would be passed.
    bool InsertBytes(const char* bytes, std::size_t n, bool asUserEdit)
    {
        QTextCursor c = textCursor();
        if (!FitsLimit(c, n, [&] { return n; }))
            return false;
        const cp932::Lines lines = cp932::DecodeLines(bytes, n);
        if (!asUserEdit)
            ++m_internal;
        c.beginEditBlock();
        c.removeSelectedText();
        if (HasOverlongWord(lines.text))
            setWordWrapMode(QTextOption::WrapAnywhere);
        // The line the cursor was in keeps its own end, after the text.
        const int start = c.position();
        InsertLines(c, lines, Shaped(c.charFormat()));
        ShapeOnlyWhereNeeded(document(), start, c.position());
        c.endEditBlock();
        if (!asUserEdit)
            --m_internal;
        setTextCursor(c);
        ensureCursorVisible();
        m_bytesValid = false;
        return true;
    }

    void InsertLineEnd()
    {
        QTextCursor c = textCursor();
        if (!FitsLimit(c, 2, [] { return std::size_t{2}; })) {
            QApplication::beep();
            return;
        }
        c.beginEditBlock();
        c.removeSelectedText();
        // The line the cursor was in keeps its own end, after the new one.
        c.insertBlock(c.blockFormat(), Marked(c.charFormat(), cp932::LineEnd::CrLf));
        c.endEditBlock();
        setTextCursor(c);
        ensureCursorVisible();
        m_bytesValid = false;
    }

    // Whether replacing the selection of c by text of about n bytes stays
    // within the limit. The cheap bound (two bytes a character at most)
    // settles nearly every case; exactBytes runs only near the limit.
    template <class ExactBytes>
    bool FitsLimit(const QTextCursor& c, std::size_t n, ExactBytes exactBytes)
    {
        const std::size_t chars = static_cast<std::size_t>(TextDoc()->characterCount());
        if (2 * chars + n <= m_limit)
            return true;
        const std::size_t current = static_cast<std::size_t>(Bytes().size());
        const std::size_t selected =
            c.hasSelection() ? static_cast<std::size_t>(BytesOfSelection(c).size()) : 0;
        return current - selected + exactBytes() <= m_limit;
    }

    // --- state the control keeps ---------------------------------------

    std::size_t m_limit = kDefaultLimit;
    int m_tabStopDlu = kDefaultTabStop;
    HFONT m_hFont = nullptr;
    int m_internal = 0;  // > 0 while the control itself changes the text
    QPaintEvent* m_pPaintEvent = nullptr;
    QTextDocument* m_pPending = nullptr;
    bool m_bPainted = false;
    bool m_bytesValid = false;
    QByteArray m_bytes;

    qreal TabStopDistance() const
    {
        // Dialog units: four to the width of an average character.
        const QFontMetricsF metrics(font());
        return m_tabStopDlu * metrics.horizontalAdvance(QLatin1Char('0')) / 4.0;
    }

    void ApplyTabStops() { setTabStopDistance(TabStopDistance()); }

    void PaintNow(QPaintEvent* e) { QPlainTextEdit::paintEvent(e); }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QPaintEvent* saved = m_pPaintEvent;
        m_pPaintEvent = e;
        m_pView->SendMessage(WM_PAINT);
        m_pPaintEvent = saved;
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        Realize();
        if (e == QKeySequence::Paste) {
            m_pView->SendMessage(WM_PASTE);
            return;
        }
        if (e == QKeySequence::Cut) {
            m_pView->SendMessage(WM_CUT);
            return;
        }
        if (e == QKeySequence::Copy) {
            m_pView->SendMessage(WM_COPY);
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
        const bool typing = !text.isEmpty() && text.at(0).isPrint()
                            && (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
        if (typing) {
            const QString storable = cp932::MakeStorable(text);
            QTextCursor c = textCursor();
            const std::size_t n = cp932::EncodedLength(storable);
            if (!FitsLimit(c, n, [n] { return n; })) {
                QApplication::beep();
                return;
            }
            const bool shaped = NeedsShaping(QStringView(storable));
            if (storable != text || shaped) {
                c.insertText(storable, shaped ? Shaped(c.charFormat()) : c.charFormat());
                setTextCursor(c);
                ensureCursorVisible();
                return;
            }
        }
        QPlainTextEdit::keyPressEvent(e);
    }

    void inputMethodEvent(QInputMethodEvent* e) override
    {
        Realize();
        const QString commit = e->commitString();
        if (commit.isEmpty() || isReadOnly()) {
            QPlainTextEdit::inputMethodEvent(e);
            return;
        }
        const QString storable = cp932::MakeStorable(commit);
        if (NeedsShaping(QStringView(storable)))
            mergeCurrentCharFormat(Shaped());
        const std::size_t n = cp932::EncodedLength(storable);
        if (!FitsLimit(textCursor(), n, [n] { return n; })) {
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

    // Qt's own paste (the context menu) and a drop end here: both become the
    // window's WM_PASTE. A drop has put its data in place of the clipboard.
    void insertFromMimeData(const QMimeData*) override
    {
        if (!isReadOnly())
            m_pView->SendMessage(WM_PASTE);
    }

    // A drop is text in whatever form the paste can read, not only Qt's.
    bool canInsertFromMimeData(const QMimeData* source) const override
    {
        return OffersText(source);
    }

    QMimeData* createMimeDataFromSelection() const override
    {
        auto* self = const_cast<EditControl*>(this);
        auto* data = new QMimeData;
        data->setText(cp932::Decode(self->BytesOfSelection(textCursor())));
        return data;
    }

    void dropEvent(QDropEvent* e) override
    {
        Realize();
        ClipboardRedirect redirect(e->mimeData());
        QPlainTextEdit::dropEvent(e);
    }

private:
    void AdoptDocument(QTextDocument* doc)
    {
        connect(doc, &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
            m_bytesValid = false;
            if (m_internal == 0 && (removed != 0 || added != 0))
                m_pView->OnEditChange();
        });
    }

    CEditView* m_pView;
};

// ---------------------------------------------------------------------------
// CEdit: messages to the view's window

LRESULT CEdit::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_pWnd->SendMessage(message, wParam, lParam);
}

void CEdit::SetWindowText(LPCTSTR lpszString) const
{
    SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpszString));
}

void CEdit::SetWindowText(LPCTSTR lpszString, UINT nLength) const
{
    SendMessage(WM_SETTEXT, static_cast<WPARAM>(nLength), reinterpret_cast<LPARAM>(lpszString));
}

int CEdit::GetWindowTextLength() const
{
    return static_cast<int>(SendMessage(WM_GETTEXTLENGTH));
}

int CEdit::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const
{
    return static_cast<int>(
        SendMessage(WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpszStringBuf)));
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL) const
{
    SendMessage(EM_SETSEL, static_cast<WPARAM>(nStartChar), static_cast<LPARAM>(nEndChar));
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    nStartChar = static_cast<int>(start);
    nEndChar = static_cast<int>(end);
}

void CEdit::ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo) const
{
    SendMessage(EM_REPLACESEL, static_cast<WPARAM>(bCanUndo), reinterpret_cast<LPARAM>(lpszNewText));
}

void CEdit::LimitText(int nChars) const
{
    SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars));
}

UINT CEdit::GetLimitText() const
{
    return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT));
}

BOOL CEdit::SetTabStops(int cxEachStop) const
{
    return static_cast<BOOL>(SendMessage(EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&cxEachStop)));
}

BOOL CEdit::SetTabStops(int nTabStops, const int* rgTabStops) const
{
    return static_cast<BOOL>(
        SendMessage(EM_SETTABSTOPS, static_cast<WPARAM>(nTabStops), reinterpret_cast<LPARAM>(rgTabStops)));
}

BOOL CEdit::CanUndo() const
{
    return static_cast<BOOL>(SendMessage(EM_CANUNDO));
}

BOOL CEdit::Undo() const
{
    return static_cast<BOOL>(SendMessage(EM_UNDO));
}

void CEdit::EmptyUndoBuffer() const
{
    SendMessage(EM_EMPTYUNDOBUFFER);
}

void CEdit::Clear() const
{
    SendMessage(WM_CLEAR);
}

void CEdit::Copy() const
{
    SendMessage(WM_COPY);
}

void CEdit::Cut() const
{
    SendMessage(WM_CUT);
}

void CEdit::Paste() const
{
    SendMessage(WM_PASTE);
}

BOOL CEdit::GetModify() const
{
    return static_cast<BOOL>(SendMessage(EM_GETMODIFY));
}

void CEdit::SetModify(BOOL bModified) const
{
    SendMessage(EM_SETMODIFY, static_cast<WPARAM>(bModified));
}

BOOL CEdit::SetReadOnly(BOOL bReadOnly) const
{
    return static_cast<BOOL>(SendMessage(EM_SETREADONLY, static_cast<WPARAM>(bReadOnly)));
}

int CEdit::GetLineCount() const
{
    return static_cast<int>(SendMessage(EM_GETLINECOUNT));
}

void CEdit::SetFont(CFont* pFont, BOOL bRedraw) const
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont != nullptr ? pFont->m_hObject : nullptr),
                bRedraw);
}

// ---------------------------------------------------------------------------
// CEditView

IMPLEMENT_DYNAMIC(CEditView, CView)

BEGIN_MESSAGE_MAP(CEditView, CView)
    ON_WM_CREATE()
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_COMMAND(ID_EDIT_CLEAR, OnEditClear)
    ON_COMMAND(ID_EDIT_UNDO, OnEditUndo)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateNeedSel)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateNeedSel)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CLEAR, OnUpdateNeedSel)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateNeedClip)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateNeedText)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateEditUndo)
END_MESSAGE_MAP()

CEditView::CEditView() : m_edit(this) {}

CEditView::~CEditView()
{
    // The widget goes before the control state it points back to.
    DestroyWindow();
}

CEdit& CEditView::GetEditCtrl() const
{
    return m_edit;
}

LPCTSTR CEditView::LockBuffer() const
{
    if (m_pControl == nullptr)
        return "";
    return m_pControl->Bytes().constData();
}

void CEditView::UnlockBuffer() const {}

UINT CEditView::GetBufferLength() const
{
    if (m_pControl == nullptr)
        return 0;
    return static_cast<UINT>(m_pControl->Bytes().size());
}

BOOL CEditView::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CView::PreCreateWindow(cs))
        return FALSE;
    cs.style |= static_cast<LONG>(AFX_WS_DEFAULT_VIEW | WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL
                                  | ES_AUTOVSCROLL | ES_MULTILINE | ES_NOHIDESEL);
    return TRUE;
}

void CEditView::OnDraw(CDC*) {}

int CEditView::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CView::OnCreate(lpCreateStruct) == -1)
        return -1;
    GetEditCtrl().LimitText(0xFFFFF);
    GetEditCtrl().SetTabStops(kDefaultTabStop);
    return 0;
}

QWidget* CEditView::CreateWidget(const CREATESTRUCT& cs, QWidget* pParent)
{
    // The control is owned here and lent to its Qt parent; OnWidgetDestroyed
    // takes it back when the parent deletes it first.
    m_pControl.reset(new EditControl(this, pParent));
    EditControl* w = m_pControl.get();
    const DWORD style = static_cast<DWORD>(cs.style);
    // Without horizontal auto-scrolling a multi-line control wraps its lines
    // at its width; without WS_HSCROLL it has no horizontal scroll bar.
    w->setLineWrapMode((style & ES_AUTOHSCROLL) != 0 ? QPlainTextEdit::NoWrap
                                                     : QPlainTextEdit::WidgetWidth);
    w->setHorizontalScrollBarPolicy((style & WS_HSCROLL) != 0 ? Qt::ScrollBarAlwaysOn
                                                              : Qt::ScrollBarAlwaysOff);
    w->setVerticalScrollBarPolicy((style & WS_VSCROLL) != 0 ? Qt::ScrollBarAlwaysOn
                                                            : Qt::ScrollBarAlwaysOff);
    w->setFrameShape((style & WS_BORDER) != 0 ? QFrame::StyledPanel : QFrame::NoFrame);
    w->setReadOnly((style & ES_READONLY) != 0);
    return w;
}

void CEditView::OnWidgetDestroyed()
{
    // Qt has already deleted the widget.
    (void)m_pControl.release();
}

void CEditView::OnEditChange()
{
    if (CDocument* pDoc = GetDocument())
        pDoc->SetModifiedFlag();
}

LRESULT CEditView::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    EditControl* w = m_pControl.get();
    if (w == nullptr)
        return CView::DefWindowProc(message, wParam, lParam);

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
    default:
        w->Realize();
        break;
    }

    switch (message) {
    case WM_PAINT:
        w->Realize();
        if (w->m_pPaintEvent != nullptr) {
            w->m_bPainted = true;
            w->PaintNow(w->m_pPaintEvent);
        }
        else
            w->viewport()->update();
        return 0;

    case WM_SETFONT: {
        auto hFont = reinterpret_cast<HFONT>(wParam);
        ++w->m_internal;
        w->m_hFont = hFont;
        w->setFont(FontFromHandle(hFont));
        w->ApplyTabStops();
        --w->m_internal;
        if (lParam != 0)
            w->viewport()->update();
        return 0;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(w->m_hFont);

    case WM_SETTEXT: {
        // wParam, when not 0, is the text's length: a converted text may
        // hold 00 bytes, which are kept like any byte the code page can't show.
        const char* text = reinterpret_cast<const char*>(lParam);
        if (text == nullptr)
            w->SetText("", 0);
        else
            w->SetText(text, wParam != 0 ? static_cast<std::size_t>(wParam) : std::strlen(text));
        return TRUE;
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->Bytes().size());
    case WM_GETTEXT: {
        const auto max = static_cast<std::size_t>(wParam);
        char* out = reinterpret_cast<char*>(lParam);
        if (max == 0 || out == nullptr)
            return 0;
        const QByteArray& bytes = w->Bytes();
        const std::size_t n = std::min(max - 1, static_cast<std::size_t>(bytes.size()));
        std::memcpy(out, bytes.constData(), n);
        out[n] = '\0';
        return static_cast<LRESULT>(n);
    }

    case EM_LIMITTEXT:
        w->m_limit = wParam == 0 ? kMaxTextLimit : static_cast<std::size_t>(wParam);
        return 0;
    case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(w->m_limit);

    case EM_SETTABSTOPS: {
        const int* stops = reinterpret_cast<const int*>(lParam);
        w->m_tabStopDlu = (wParam == 0 || stops == nullptr) ? kDefaultTabStop : stops[0];
        w->ApplyTabStops();
        return TRUE;
    }

    case EM_GETSEL: {
        const QTextCursor c = w->textCursor();
        const int start = w->ByteOffsetOf(c.selectionStart());
        const int end = w->ByteOffsetOf(c.selectionEnd());
        if (wParam != 0)
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
        if (lParam != 0)
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
        return static_cast<LRESULT>((static_cast<DWORD>(end) & 0xFFFF) << 16
                                    | (static_cast<DWORD>(start) & 0xFFFF));
    }
    case EM_SETSEL: {
        const auto start = static_cast<int>(static_cast<std::intptr_t>(wParam));
        const auto end = static_cast<int>(lParam);
        QTextCursor c = w->textCursor();
        if (start < 0) {
            c.clearSelection();
        } else {
            c.setPosition(w->PositionOfByteOffset(start));
            c.setPosition(w->PositionOfByteOffset(end), QTextCursor::KeepAnchor);
        }
        w->setTextCursor(c);
        return 0;
    }
    case EM_REPLACESEL: {
        const char* text = reinterpret_cast<const char*>(lParam);
        if (text != nullptr)
            w->InsertBytes(text, std::strlen(text), true);
        return 0;
    }

    case WM_COPY:
        if (w->textCursor().hasSelection())
            w->copy();
        return 0;
    case WM_CUT:
        if (w->textCursor().hasSelection() && !w->isReadOnly())
            w->cut();
        return 0;
    case WM_CLEAR:
        if (w->textCursor().hasSelection() && !w->isReadOnly()) {
            QTextCursor c = w->textCursor();
            c.removeSelectedText();
            w->setTextCursor(c);
        }
        return 0;
    case WM_PASTE: {
        // The control's own paste: the clipboard's CF_TEXT at the cursor.
        if (w->isReadOnly() || !IsClipboardFormatAvailable(CF_TEXT))
            return 0;
        if (!OpenClipboard(m_hWnd))
            return 0;
        QByteArray bytes;
        if (HANDLE h = GetClipboardData(CF_TEXT)) {
            if (const char* p = static_cast<const char*>(winapi_detail::LockBlock(h))) {
                bytes = QByteArray(p, static_cast<qsizetype>(strnlen(p, GlobalSize(h))));
                GlobalUnlock(h);
            }
        }
        CloseClipboard();
        if (!bytes.isEmpty() && !w->InsertBytes(bytes.constData(), static_cast<std::size_t>(bytes.size()), true))
            QApplication::beep();
        return 0;
    }
    case WM_UNDO:
    case EM_UNDO:
        if (!w->document()->isUndoAvailable())
            return FALSE;
        w->undo();
        return TRUE;
    case EM_CANUNDO:
        return w->document()->isUndoAvailable() ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
        w->document()->clearUndoRedoStacks();
        return 0;
    case EM_GETMODIFY:
        return w->document()->isModified() ? TRUE : FALSE;
    case EM_SETMODIFY:
        w->document()->setModified(wParam != 0);
        return 0;
    case EM_SETREADONLY:
        w->setReadOnly(wParam != 0);
        return TRUE;
    case EM_GETLINECOUNT:
        // Lines that share a block count one by one.
        return w->document()->blockCount() +
               static_cast<LRESULT>(w->document()->toRawText().count(QChar(cp932::kLineInBlock)));
    default:
        return CView::DefWindowProc(message, wParam, lParam);
    }
}

void CEditView::OnEditCut()
{
    GetEditCtrl().Cut();
}

void CEditView::OnEditCopy()
{
    GetEditCtrl().Copy();
}

void CEditView::OnEditPaste()
{
    GetEditCtrl().Paste();
}

void CEditView::OnEditClear()
{
    GetEditCtrl().Clear();
}

void CEditView::OnEditUndo()
{
    GetEditCtrl().Undo();
}

void CEditView::OnEditSelectAll()
{
    GetEditCtrl().SetSel(0, -1);
}

void CEditView::OnUpdateNeedSel(CCmdUI* pCmdUI)
{
    // A text still waiting for the first paint has no selection yet.
    pCmdUI->Enable(m_pControl != nullptr && m_pControl->m_pPending == nullptr
                   && m_pControl->textCursor().hasSelection());
}

void CEditView::OnUpdateNeedClip(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsClipboardFormatAvailable(CF_TEXT));
}

void CEditView::OnUpdateNeedText(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pControl != nullptr && m_pControl->TextDoc()->characterCount() > 1);
}

void CEditView::OnUpdateEditUndo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pControl != nullptr && m_pControl->TextDoc()->isUndoAvailable());
}
