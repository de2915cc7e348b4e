// Device contexts and the state of a print job: CDC draws on a window or a
// printer (or print preview's stand-in for one), CPaintDC is the paint cycle
// of a window's WM_PAINT (begun when it is made, ended when it goes), and
// CPrintInfo is what the print loop hands to each of the view's printing
// steps.
#ifndef RUVOK_DC_H
#define RUVOK_DC_H

#include "wnd.h"

#include <string>

class QPainter;
class QPrinter;

// GetDeviceCaps indexes.
constexpr int HORZRES = 8;      // printable width, device pixels
constexpr int VERTRES = 10;     // printable height, device pixels
constexpr int LOGPIXELSX = 88;  // pixels per inch
constexpr int LOGPIXELSY = 90;

// Print job results.
constexpr int SP_ERROR = -1;

class CDC : public CObject {
public:
    CDC();
    ~CDC() override;
    // The painter behind it; NULL when there is nothing to draw on (for a
    // printer: outside StartDoc and EndDoc).
    QPainter* GetPainter() const { return m_pPainter; }

    // Takes a printer as this context's device; the job starts with StartDoc.
    BOOL CreatePrinterDC(QPrinter* pPrinter, BOOL bPreview = FALSE);
    QPrinter* GetPrinter() const { return m_pPrinter; }

    // The job: StartDoc opens it (SP_ERROR when it can't start), each page
    // lies between StartPage and EndPage, EndDoc finishes it and AbortDoc
    // drops it (a file being written is removed).
    int StartDoc(LPCTSTR lpszDocName);
    int StartPage();
    int EndPage();
    int EndDoc();
    int AbortDoc();

    int GetDeviceCaps(int nIndex) const;

protected:
    QPainter* m_pPainter = nullptr;

private:
    QPrinter* m_pPrinter = nullptr;
    BOOL m_bPreview = FALSE;
    int m_nPagesStarted = 0;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

protected:
    CWnd* m_pWnd;
};

// One job's settings and progress.
class CPrintInfo {
public:
    CPrintInfo();
    ~CPrintInfo();
    CPrintInfo(const CPrintInfo&) = delete;
    CPrintInfo& operator=(const CPrintInfo&) = delete;

    void SetMaxPage(UINT nMaxPage) { m_nMaxPage = nMaxPage; }
    UINT GetMinPage() const { return m_nMinPage; }
    UINT GetMaxPage() const { return m_nMaxPage; }
    // The range the user chose, within the document's pages.
    UINT GetFromPage() const;
    UINT GetToPage() const;

    QPrinter* m_pPrinter = nullptr;  // the printer the job goes to; not owned
    BOOL m_bDirect = FALSE;          // no print dialog
    BOOL m_bPreview = FALSE;         // for print preview, not a printer
    BOOL m_bContinuePrinting = TRUE; // a step clears it to end the job early
    UINT m_nCurPage = 1;
    UINT m_nNumPreviewPages = 1;     // 1 or 2 pages on the preview screen
    RECT m_rectDraw;                 // the page's printable area, device pixels
    // Where "/pt" sends the job, when it names the port itself.
    std::string m_strPort;

private:
    UINT m_nMinPage = 1;
    UINT m_nMaxPage = 0xFFFF;
};

#endif
