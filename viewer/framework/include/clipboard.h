// The CF_TEXT clipboard. CF_TEXT is the clipboard's text in code page 932,
// as Windows makes it from Unicode text; text another program offers as
// bytes in a legacy charset (or as plain text that is not UTF-8) is those
// bytes, for the paste to convert. Setting it puts the bytes back as text
// (UTF-8 to other programs), decoded losslessly, in place of every form of
// the old text, and leaves the clipboard's other formats alone.
#ifndef RUVOK_CLIPBOARD_H
#define RUVOK_CLIPBOARD_H

#include "wnd.h"
#include "winapi.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_UNICODETEXT = 13;

BOOL IsClipboardFormatAvailable(UINT format);
BOOL OpenClipboard(HWND hWndNewOwner);
BOOL CloseClipboard();
// A block the clipboard owns, valid while it is open; NULL without text.
HANDLE GetClipboardData(UINT uFormat);
// The clipboard takes the block over (and frees it); NULL on failure.
HANDLE SetClipboardData(UINT uFormat, HANDLE hMem);

class QMimeData;

// Whether data holds text that CF_TEXT can be read from, in any of the forms
// other programs offer it.
bool OffersText(const QMimeData* data);

// While one exists, the clipboard functions above work on this data instead
// of the system clipboard: a text dropped on the edit control is pasted
// through the same road as the clipboard's, without touching the clipboard.
class ClipboardRedirect {
public:
    // Where the text stands in from: dropped data, the X selection (PRIMARY,
    // which a middle click pastes), or data dropped by another program (its
    // drag's selection). An X selection is read as the bytes its owner
    // offers, as the clipboard's are: Qt hands over text targets decoded.
    enum class From { Data, XSelection, XDrop };
    explicit ClipboardRedirect(const QMimeData* pSource, From from = From::Data);
    ~ClipboardRedirect();
    ClipboardRedirect(const ClipboardRedirect&) = delete;
    ClipboardRedirect& operator=(const ClipboardRedirect&) = delete;
};

#endif
