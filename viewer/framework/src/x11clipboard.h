// The X11 clipboard's text as the bytes its owner offers. Qt hands X11 text
// over only decoded (UTF8_STRING as UTF-8 with bad bytes replaced, STRING as
// Latin-1), while CF_TEXT must see the bytes another program put there, so
// these are read over a connection of their own.
#ifndef RUVOK_X11CLIPBOARD_H
#define RUVOK_X11CLIPBOARD_H

#include <memory>

class QMimeData;

// The clipboard's text targets (UTF8_STRING, STRING, TEXT, "text/plain" and
// "text/plain;charset=..."), each under its own name with its bytes; NULL
// where there is no X11 display, no owner, or the owner does not answer.
std::unique_ptr<QMimeData> ReadX11ClipboardText();
// The same of another selection: "PRIMARY", the text selected last anywhere.
std::unique_ptr<QMimeData> ReadX11SelectionText(const char* selection);

#endif
