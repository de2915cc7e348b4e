// CDocTemplate and CSingleDocTemplate: making the document, frame and view,
// and opening a file into them.
#include "doctemplate.h"

#include "app.h"
#include "document.h"
#include "file.h"
#include "frame.h"
#include "msgbox.h"
#include "strings_table.h"

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass,
                           CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass)
    : m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass),
      m_nIDResource(nIDResource)
{
    AfxLoadString(nIDResource, m_strDocStrings);
}

CDocTemplate::~CDocTemplate() = default;

BOOL CDocTemplate::GetDocString(std::string& rString, DocStringIndex index) const
{
    return AfxExtractSubString(rString, m_strDocStrings, static_cast<int>(index));
}

void CDocTemplate::AddDocument(CDocument* pDoc)
{
    pDoc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc)
{
    pDoc->m_pDocTemplate = nullptr;
}

CDocument* CDocTemplate::CreateNewDocument()
{
    if (m_pDocClass == nullptr)
        return nullptr;
    CObject* pObject = m_pDocClass->CreateObject();
    if (pObject == nullptr)
        return nullptr;
    CDocument* pDocument = static_cast<CDocument*>(pObject);
    AddDocument(pDocument);
    return pDocument;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther)
{
    CCreateContext context;
    context.m_pCurrentFrame = pOther;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;

    if (m_pFrameClass == nullptr)
        return nullptr;
    CObject* pObject = m_pFrameClass->CreateObject();
    if (pObject == nullptr)
        return nullptr;
    CFrameWnd* pFrame = static_cast<CFrameWnd*>(pObject);
    if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr,
                           &context)) {
        delete pFrame;
        return nullptr;
    }
    return pFrame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible)
{
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

void CDocTemplate::CloseAllDocuments(BOOL)
{
    if (CDocument* pDoc = GetOnlyDocument())
        pDoc->OnCloseDocument();
}

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass,
                                       CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass)
{
}

CSingleDocTemplate::~CSingleDocTemplate()
{
    if (m_pOnlyDoc != nullptr)
        CDocTemplate::RemoveDocument(m_pOnlyDoc);
}

void CSingleDocTemplate::AddDocument(CDocument* pDoc)
{
    CDocTemplate::AddDocument(pDoc);
    m_pOnlyDoc = pDoc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc)
{
    CDocTemplate::RemoveDocument(pDoc);
    if (m_pOnlyDoc == pDoc)
        m_pOnlyDoc = nullptr;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDocument)
{
    std::string title;
    if (!GetDocString(title, docName) || title.empty())
        title = AfxLoadString(AFX_IDS_UNTITLED);
    pDocument->SetTitle(title.c_str());
}

// Undoes a frame (and document) made for an open or new that failed.
void CSingleDocTemplate::DestroyNewFrame(CFrameWnd* pFrame, CDocument* pNewDocument)
{
    pFrame->DestroyWindow();  // the frame deletes itself with its view
    if (pNewDocument != nullptr)
        delete pNewDocument;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible)
{
    CDocument* pDocument = nullptr;
    CFrameWnd* pFrame = nullptr;
    BOOL bCreated = FALSE;     // the frame was made here
    BOOL bDocCreated = FALSE;  // and the document too
    BOOL bWasModified = FALSE;

    if (m_pOnlyDoc != nullptr) {
        // the one document is reused: it may ask to save its changes first
        pDocument = m_pOnlyDoc;
        if (!pDocument->SaveModified())
            return nullptr;
        pFrame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    } else {
        pDocument = CreateNewDocument();
        if (pDocument == nullptr) {
            AfxMessageBox(AFX_IDP_FAILED_TO_CREATE_DOC);
            return nullptr;
        }
        bDocCreated = TRUE;
    }

    if (pFrame == nullptr) {
        BOOL bAutoDelete = pDocument->m_bAutoDelete;
        pDocument->m_bAutoDelete = FALSE;  // a failed frame must not take the document
        pFrame = CreateNewFrame(pDocument, nullptr);
        pDocument->m_bAutoDelete = bAutoDelete;
        if (pFrame == nullptr) {
            AfxMessageBox(AFX_IDP_FAILED_TO_CREATE_DOC);
            if (bDocCreated)
                delete pDocument;
            return nullptr;
        }
        bCreated = TRUE;
    }

    if (lpszPathName == nullptr) {
        SetDefaultTitle(pDocument);
        if (!pDocument->OnNewDocument()) {
            if (bCreated)
                DestroyNewFrame(pFrame, bDocCreated ? pDocument : nullptr);
            return nullptr;
        }
    } else {
        bWasModified = pDocument->IsModified();
        pDocument->SetModifiedFlag(FALSE);  // so a failure can tell whether it touched the contents
        std::string path = AfxFullPath(lpszPathName);
        if (!pDocument->OnOpenDocument(path.c_str())) {
            if (bCreated) {
                DestroyNewFrame(pFrame, bDocCreated ? pDocument : nullptr);
            } else if (!pDocument->IsModified()) {
                // the file never opened: the document is as it was
                pDocument->SetModifiedFlag(bWasModified);
            } else {
                // the contents were deleted: start afresh as an untitled document
                SetDefaultTitle(pDocument);
                pDocument->OnNewDocument();
            }
            return nullptr;
        }
        pDocument->SetPathName(path.c_str());
    }

    CWinApp* pApp = AfxGetApp();
    if (bCreated && pApp != nullptr && pApp->m_pMainWnd == nullptr)
        pApp->m_pMainWnd = pFrame;
    InitialUpdateFrame(pFrame, pDocument, bMakeVisible);
    return pDocument;
}
