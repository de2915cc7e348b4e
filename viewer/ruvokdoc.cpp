// CRuvokDoc: loading a file converted into the view, and saving the view's
// text.
#include "ruvokdoc.h"

#include "archive.h"
#include "editview.h"
#include "file.h"
#include "kanjicode.h"
#include "kanjicode_length.h"

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
        std::unique_ptr<char[]> output(new char[2 * m + 1]);
        // A malformed pair can convert to a 00 byte: the text is the whole
        // converted length, not what comes before that byte, so that saving
        // writes back everything that was read.
        const std::size_t length = ConvertToSjisLength(output.get(), input.get(), m);
        pView->GetEditCtrl().SetWindowText(output.get(), static_cast<UINT>(length));
        // Cut at the limit or at a NUL: saving must not silently replace the
        // whole file with this part.
        SetShownInPart(m < n || ar.GetFile()->GetLength() > n);
        input.reset();
        output.reset();
    }
}
