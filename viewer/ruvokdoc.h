// CRuvokDoc: the viewer's document. It keeps no text of its own; the text
// lives in the edit control of its one view.
#ifndef RUVOK_RUVOKDOC_H
#define RUVOK_RUVOKDOC_H

#include "document.h"

class CRuvokDoc : public CDocument {
protected:
    CRuvokDoc();
    DECLARE_DYNCREATE(CRuvokDoc)

public:
    ~CRuvokDoc() override;
    void Serialize(CArchive& ar) override;
    BOOL OnNewDocument() override;
    // Empties the view, so that a zero-length file (which is never
    // serialised) shows nothing, as after New.
    void DeleteContents() override;
    // Whether the view's text holds bytes that code page 932 can't decode.
    BOOL HoldsUnreadableText() override;

    // Load limits in bytes: the most read from a file, and the input buffer
    // with room for the terminating NUL.
    static constexpr UINT kMaxReadBytes = 0xA0000;
    static constexpr UINT kInputBufferBytes = kMaxReadBytes + 1;

    DECLARE_MESSAGE_MAP()
};

#endif
