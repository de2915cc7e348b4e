// CRuvokView: wrapping, no text limit, the fixed font at the first paint,
// and the converting paste.
#include "ruvokview.h"

#include "clipboard.h"
#include "kanjicode.h"
#include "winapi.h"

#include <cstring>
#include <new>

namespace {

// Clears WS_HSCROLL (0x00100000) and ES_AUTOHSCROLL (0x0080): a multi-line
// edit control without horizontal auto-scrolling wraps at its width.
constexpr DWORD kNoHorizontalScrolling = 0xFFEFFF7F;
constexpr SIZE_T kEditMemoryBytes = 256;
// Room beyond the clipboard's text for the converted text's extra CRs.
constexpr SIZE_T kPasteSlackBytes = 5120;

}  // namespace

int g_bFixedFontPending = TRUE;
std::unique_ptr<CFont> g_pFixedFont;

IMPLEMENT_DYNCREATE(CRuvokView, CEditView)

// The print commands are the framework view's own handlers, inherited.
BEGIN_MESSAGE_MAP(CRuvokView, CEditView)
    ON_WM_CREATE()
    ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
END_MESSAGE_MAP()

CRuvokView::CRuvokView() : m_hEditMemory(nullptr) {}

CRuvokView::~CRuvokView()
{
    if (m_hEditMemory != nullptr)
        GlobalFree(m_hEditMemory);
}

BOOL CRuvokView::PreCreateWindow(CREATESTRUCT& cs)
{
    BOOL result = CEditView::PreCreateWindow(cs);
    cs.style = static_cast<LONG>(static_cast<DWORD>(cs.style) & kNoHorizontalScrolling);
    m_hEditMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, kEditMemoryBytes);
    // Without the block the control keeps the program's own instance handle.
    if (m_hEditMemory != nullptr)
        cs.hInstance = static_cast<HINSTANCE>(m_hEditMemory);
    return result;
}

int CRuvokView::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CEditView::OnCreate(lpcs) == -1)
        return -1;
    // 0: the largest limit the control supports, not the edit view's 0xFFFFF.
    GetEditCtrl().SendMessage(EM_LIMITTEXT, 0, 0);
    return 0;
}

LRESULT CRuvokView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        if (g_pFixedFont == nullptr)
            g_pFixedFont = std::make_unique<CFont>();
        if (g_bFixedFontPending == TRUE) {
            g_bFixedFontPending = FALSE;
            g_pFixedFont->CreateStockObject(SYSTEM_FIXED_FONT);
            // No redraw of its own: the paint under way uses the new font.
            GetEditCtrl().SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(g_pFixedFont->m_hObject), 0);
        }
        break;
    case WM_PASTE:
        if (IsClipboardFormatAvailable(CF_TEXT))
            ConvertClipboardText();
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// Replaces the clipboard's text by its conversion, so that the control's
// own paste, which follows, inserts Shift_JIS with CR LF line ends. Whatever
// can't be had (the data, the memory, a lock) leaves the clipboard as it was.
void CRuvokView::ConvertClipboardText()
{
    OpenClipboard(m_hWnd);
    HGLOBAL h = GetClipboardData(CF_TEXT);
    if (h != nullptr) {
        const auto* text = static_cast<const char*>(GlobalLock(h));
        if (text != nullptr) {
            // Never past the block, should its text lack the NUL.
            const SIZE_T n = strnlen(text, GlobalSize(h));
            char* copy = new (std::nothrow) char[n + 1];
            if (copy != nullptr) {
                std::memcpy(copy, text, n);
                copy[n] = '\0';
            }
            GlobalUnlock(h);
            if (copy != nullptr) {
                SIZE_T size = n + kPasteSlackBytes;
                if (size < 2 * n + 1)
                    size = 2 * n + 1;
                HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
                if (block != nullptr) {
                    char* out = static_cast<char*>(GlobalLock(block));
                    if (out != nullptr) {
                        ConvertToSjis(out, copy);
                        GlobalUnlock(block);
                        // The clipboard owns the block from here on.
                        SetClipboardData(CF_TEXT, block);
                    } else {
                        GlobalFree(block);
                    }
                }
                delete[] copy;
            }
        }
    }
    CloseClipboard();
}

void CRuvokView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView)
{
    CEditView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

// The control paints its own text.
void CRuvokView::OnDraw(CDC*) {}

BOOL CRuvokView::OnPreparePrinting(CPrintInfo* pInfo)
{
    return CEditView::OnPreparePrinting(pInfo);
}

void CRuvokView::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    CEditView::OnBeginPrinting(pDC, pInfo);
}

void CRuvokView::OnEndPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    CEditView::OnEndPrinting(pDC, pInfo);
}
