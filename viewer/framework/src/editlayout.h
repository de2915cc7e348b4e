// How the edit control lays its text out: where a text wraps, where it is
// shaped, and how a whole new text is built and put into the widget so that
// it is laid out once.
#ifndef RUVOK_EDITLAYOUT_H
#define RUVOK_EDITLAYOUT_H

#include "cp932text.h"

#include <QChar>
#include <QStringView>
#include <QTextCharFormat>

#include <cstddef>

class QObject;
class QPlainTextEdit;
class QString;
class QTextDocument;

namespace editlayout {

// Whether text has a run of letters and digits with no space, tab or
// ideograph between them too long to wrap at word boundaries: such a text
// wraps anywhere instead.
bool HasOverlongWord(const QString& text);
// The same of code page 932 bytes.
bool HasOverlongWord(const char* bytes, std::size_t n);

// Whether a character, or any in text, must be shaped to show as it should
// (a selector, the stand-in for an undecodable byte, a control character).
bool NeedsShaping(QChar c);
bool NeedsShaping(QStringView text);

// format, shaped.
QTextCharFormat Shaped(QTextCharFormat format = QTextCharFormat());

// Sets where shaping is done over the document positions from..to, in the
// blocks there that are long: only where it is needed.
void ShapeOnlyWhereNeeded(QTextDocument* doc, int from, int to);

// A new document holding lines, with the font, options and margin of like,
// filled before any layout is attached; its undo history is empty.
QTextDocument* NewDocument(const cp932::Lines& lines, const QTextDocument& like, QObject* parent);

// Appends lines at the end of doc as more of its text, not as an edit: no
// step to undo, the modified flag as it was, and wrapping anywhere from
// then on if they need it. doc must have nothing to undo.
void AppendLines(QTextDocument* doc, const cp932::Lines& lines);

// Makes doc the widget's document so that the first paint lays it out once,
// in the widget's font with tab stops tabStopDistance apart.
void MoveIntoWidget(QPlainTextEdit& widget, QTextDocument* doc, qreal tabStopDistance);

}  // namespace editlayout

#endif
