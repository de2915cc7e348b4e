// What a screen reader is told of the edit control: its text as the lines it
// holds. A long line that the control keeps in several blocks (see
// edittext.h) reads as the one line it is: offsets count the text's
// characters, not the block breaks inside a line, and words, sentences and
// rows go on across them. Changes a reader asks for go in as the user's own
// edits would, filtered to what code page 932 can hold and to the limit.
#ifndef RUVOK_EDITACCESSIBLE_H
#define RUVOK_EDITACCESSIBLE_H

class QAccessibleInterface;
class QObject;
class QString;

namespace editaccessible {

// The interface for an edit control, null for any other object (a factory
// for QAccessible::installFactory).
QAccessibleInterface* Factory(const QString& className, QObject* object);

// Makes sure the control's interface is the one made here.
void Claim(QObject* control);

}  // namespace editaccessible

#endif
