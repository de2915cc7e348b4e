// CRuvokDoc: loading a file converted into the view, and saving the view's
// text.
#include "ruvokdoc.h"

#include "archive.h"
#include "editview.h"
#include "file.h"
#include "kanjicode.h"
#include "kanjicode_length.h"
#include "unicode_form.h"
#include "unicodetext.h"

#include <cstring>
#include <memory>

IMPLEMENT_DYNCREATE(CRuvokDoc, CDocument)

BEGIN_MESSAGE_MAP(CRuvokDoc, CDocument)
END_MESSAGE_MAP()

namespace {

// The one view's edit view, or NULL once the view is gone.
CEditView* FirstView(const CDocument* pDoc)
{
    POSITION pos = pDoc->GetFirstViewPosition();
    return static_cast<CEditView*>(pDoc->GetNextView(pos));
}

// The Unicode form of the n bytes read, or UF_NONE for the three Japanese
// codes. A UTF-16 mark is looked for in all of them (its text is full of 00
// bytes); UTF-8 only in the text before the first NUL, as the others are.
int UnicodeFormOf(const char* input, std::size_t n, std::size_t m, std::size_t* bom)
{
    const int form = DetectUnicodeForm(input, n, bom);
    if (form == UF_UTF16LE || form == UF_UTF16BE)
        return form;
    return DetectUnicodeForm(input, m, bom);
}

}  // namespace

CRuvokDoc::CRuvokDoc() = default;

CRuvokDoc::~CRuvokDoc() = default;

BOOL CRuvokDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return FALSE;
    if (CEditView* pView = FirstView(this))
        pView->GetEditCtrl().SetWindowText("");
    return TRUE;
}

void CRuvokDoc::DeleteContents()
{
    if (CEditView* pView = FirstView(this))
        pView->GetEditCtrl().SetWindowText("");
}

void CRuvokDoc::Serialize(CArchive& ar)
{
    CEditView* pView = FirstView(this);
    if (ar.IsStoring()) {
        UINT n = pView->GetBufferLength();
        LPCTSTR p = pView->LockBuffer();
        ar.Write(p, n);
        pView->UnlockBuffer();
    } else {
        // Owned, so that both buffers go also when a step throws.
        std::unique_ptr<char[]> input(new char[kInputBufferBytes]);
        UINT n = ar.Read(input.get(), kMaxReadBytes);
        input[n] = '\0';
        size_t m = std::strlen(input.get());
        const bool cut = ar.GetFile()->GetLength() > n;
        std::size_t bom = 0;
        const int form = UnicodeFormOf(input.get(), n, m, &bom);
        if (form != UF_NONE) {
            // Decoded and mapped to code page 932; saved, it would not be
            // the file that was read.
            const UnicodeEncoding encoding = form == UF_UTF16LE   ? UnicodeEncoding::Utf16Le
                                             : form == UF_UTF16BE ? UnicodeEncoding::Utf16Be
                                                                  : UnicodeEncoding::Utf8;
            const UnicodeFileText text =
                AfxUnicodeToCodePage932(input.get() + bom, n - bom, encoding, cut);
            input.reset();
            pView->GetEditCtrl().SetWindowText(text.text.c_str(), static_cast<UINT>(text.text.size()));
            SetShownInPart(text.endedAtNul || cut);
            SetReadAsUnicode();
            return;
        }
        std::unique_ptr<char[]> output(new char[2 * m + 1]);
        // A malformed pair can convert to a 00 byte: the text is the whole
        // converted length, not what comes before that byte, so that saving
        // writes back everything that was read.
        const std::size_t length = ConvertToSjisLength(output.get(), input.get(), m);
        pView->GetEditCtrl().SetWindowText(output.get(), static_cast<UINT>(length));
        // Cut at the limit or at a NUL: saving must not silently replace the
        // whole file with this part.
        SetShownInPart(m < n || cut);
        input.reset();
        output.reset();
    }
}

// Bytes that stand for no character are a binary file's, or a text's read
// in the wrong code: written back they would not be what was read.
BOOL CRuvokDoc::HoldsUnreadableText()
{
    CEditView* pView = FirstView(this);
    if (pView == nullptr)
        return FALSE;
    const UINT n = pView->GetBufferLength();
    const char* p = pView->LockBuffer();
    const bool whole = AfxIsCodePage932Text(p, n);
    pView->UnlockBuffer();
    return whole ? FALSE : TRUE;
}
