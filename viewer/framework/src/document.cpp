// CDocument: New, Open, Save and Save As, the save prompt, and the reports
// of what failed.
#include "document.h"

#include "app.h"
#include "archive.h"
#include "doctemplate.h"
#include "exceptions.h"
#include "file.h"
#include "filename.h"
#include "frame.h"
#include "msgbox.h"
#include "strings_table.h"
#include "view.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <sys/stat.h>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

namespace {

// Runs `body`; an exception of any kind comes back as a CException* (which the
// caller deletes), or NULL when there was none.
template <class Body>
CException* CatchAll(Body body)
{
    try {
        body();
    } catch (CException* e) {
        return e;
    } catch (const std::bad_alloc&) {
        return new CMemoryException;
    } catch (...) {
        return new CException;
    }
    return nullptr;
}

// Runs body on an open file's archive, then releases the file: closed when
// body succeeded, aborted when it failed. The exception, or NULL.
template <class Body, class Release>
CException* RunThenRelease(Body body, Release release)
{
    if (CException* e = CatchAll(body)) {
        release(TRUE);
        return e;
    }
    return CatchAll([&] { release(FALSE); });
}

}  // namespace

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    for (CView* pView : m_viewList)
        pView->m_pDocument = nullptr;
    if (m_pDocTemplate != nullptr)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCTSTR lpszTitle)
{
    m_strTitle = lpszTitle != nullptr ? lpszTitle : "";
    UpdateFrameCounts();
}

void CDocument::SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU)
{
    m_strPathName = AfxFullPath(lpszPathName != nullptr ? lpszPathName : "");
    // the title is text to read; the path stays the file's bytes
    SetTitle(AfxDisplayName(AfxGetFileTitle(m_strPathName)).c_str());
    CWinApp* pApp = AfxGetApp();
    if (bAddToMRU && pApp != nullptr && !m_strPathName.empty())
        pApp->AddToRecentFileList(m_strPathName.c_str());
}

BOOL CDocument::IsModified()
{
    return m_bModified;
}

void CDocument::SetModifiedFlag(BOOL bModified)
{
    m_bModified = bModified;
}

void CDocument::AddView(CView* pView)
{
    if (std::find(m_viewList.begin(), m_viewList.end(), pView) != m_viewList.end())
        return;
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView)
{
    auto it = std::find(m_viewList.begin(), m_viewList.end(), pView);
    if (it == m_viewList.end())
        return;
    m_viewList.erase(it);
    pView->m_pDocument = nullptr;
}

// A position is the index of the view plus one, so that NULL ends the list.
POSITION CDocument::GetFirstViewPosition() const
{
    return m_viewList.empty() ? nullptr : reinterpret_cast<POSITION>(std::uintptr_t{1});
}

CView* CDocument::GetNextView(POSITION& rPosition) const
{
    std::uintptr_t index = reinterpret_cast<std::uintptr_t>(rPosition);
    if (index == 0 || index > m_viewList.size()) {
        rPosition = nullptr;
        return nullptr;
    }
    CView* pView = m_viewList[index - 1];
    rPosition = index < m_viewList.size() ? reinterpret_cast<POSITION>(index + 1) : nullptr;
    return pView;
}

void CDocument::UpdateFrameCounts()
{
    for (CView* pView : m_viewList) {
        if (CFrameWnd* pFrame = AfxGetParentFrame(pView))
            pFrame->OnUpdateFrameTitle(TRUE);
    }
}

BOOL CDocument::SaveModified()
{
    if (!IsModified())
        return TRUE;

    std::string name;
    if (m_strPathName.empty()) {
        name = m_strTitle;
        if (name.empty())
            name = AfxLoadString(AFX_IDS_UNTITLED);
    } else {
        name = AfxDisplayName(AfxGetFileTitle(m_strPathName));
    }

    switch (AfxMessageBox(AfxFormatString1(AFX_IDP_ASK_TO_SAVE, name), MB_YESNOCANCEL,
                          AFX_IDP_ASK_TO_SAVE)) {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        if (!DoFileSave())
            return FALSE;
        break;
    case IDNO:
    default:
        break;
    }
    return TRUE;
}

BOOL CDocument::CanCloseFrame(CFrameWnd*)
{
    return SaveModified();
}

void CDocument::DeleteContents() {}

BOOL CDocument::HoldsUnreadableText()
{
    return FALSE;
}

CDocument::FileStamp CDocument::StampOf(const std::string& path)
{
    FileStamp stamp;
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return stamp;
    stamp.valid = true;
    stamp.dev = static_cast<unsigned long long>(st.st_dev);
    stamp.ino = static_cast<unsigned long long>(st.st_ino);
    stamp.size = static_cast<unsigned long long>(st.st_size);
    stamp.sec = static_cast<long long>(st.st_mtim.tv_sec);
    stamp.nsec = static_cast<long long>(st.st_mtim.tv_nsec);
    return stamp;
}

BOOL CDocument::IsChangedOnDisk() const
{
    if (!m_fileStamp.valid || m_strPathName.empty())
        return FALSE;
    const FileStamp now = StampOf(m_strPathName);
    // A file that is gone is the missing file's case, not this one.
    return now.valid && !(now == m_fileStamp) ? TRUE : FALSE;
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    m_bShownInPart = FALSE;
    m_bReadAsUnicode = FALSE;
    m_fileStamp = FileStamp();
    SetModifiedFlag(FALSE);
    return TRUE;
}

CFile* CDocument::GetFile(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    CFile* pFile = new CFile;
    if (!pFile->Open(lpszFileName, nOpenFlags, pError)) {
        delete pFile;
        return nullptr;
    }
    return pFile;
}

void CDocument::ReleaseFile(CFile* pFile, BOOL bAbort)
{
    if (bAbort) {
        pFile->Abort();
        delete pFile;
        return;
    }
    // Close may throw (a write that fails at the end); the file goes either way.
    struct Deleter {
        CFile* p;
        ~Deleter() { delete p; }
    } deleter{pFile};
    pFile->Close();
}

BOOL CDocument::OnOpenDocument(LPCTSTR lpszPathName)
{
    CFileException fe;
    CFile* pFile = GetFile(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe);
    if (pFile == nullptr) {
        ReportSaveLoadException(lpszPathName, &fe, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        return FALSE;
    }

    // Taken before the bytes are read: a change while they are read shows as
    // a change at the next save.
    const FileStamp stamp = StampOf(lpszPathName);
    DeleteContents();
    m_bShownInPart = FALSE;
    m_bReadAsUnicode = FALSE;
    m_fileStamp = FileStamp();
    SetModifiedFlag();  // dirty while loading: a failure from here on leaves a new document

    CArchive loadArchive(pFile, CArchive::load | CArchive::bNoFlushOnDelete);
    loadArchive.m_pDocument = this;
    CException* e = RunThenRelease(
        [&] {
            if (pFile->GetLength() != 0)
                Serialize(loadArchive);
            loadArchive.Close();
        },
        [&](BOOL bAbort) { ReleaseFile(pFile, bAbort); });
    if (e != nullptr) {
        DeleteContents();
        ReportSaveLoadException(lpszPathName, e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        e->Delete();
        return FALSE;
    }

    m_fileStamp = stamp;
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCTSTR lpszPathName)
{
    CFileException fe;
    CFile* pFile = GetFile(lpszPathName, CFile::modeCreate | CFile::modeReadWrite |
                                             CFile::shareExclusive, &fe);
    if (pFile == nullptr) {
        ReportSaveLoadException(lpszPathName, &fe, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }

    CArchive saveArchive(pFile, CArchive::store | CArchive::bNoFlushOnDelete);
    saveArchive.m_pDocument = this;
    // Closing is where the new file replaces the old one.
    CException* e = RunThenRelease(
        [&] {
            Serialize(saveArchive);
            saveArchive.Close();
        },
        [&](BOOL bAbort) { ReleaseFile(pFile, bAbort); });
    if (e != nullptr) {
        ReportSaveLoadException(lpszPathName, e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        e->Delete();
        return FALSE;
    }

    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::ReportSaveLoadException(LPCTSTR lpszPathName, CException* e, BOOL bSaving,
                                        UINT nIDPDefault)
{
    UINT nIDP = nIDPDefault;
    std::string prompt;
    if (e != nullptr) {
        if (e->IsKindOf(RUNTIME_CLASS(CArchiveException))) {
            nIDP = AFX_IDP_FAILED_INVALID_FORMAT;
        } else if (e->IsKindOf(RUNTIME_CLASS(CFileException))) {
            CFileException* pFE = static_cast<CFileException*>(e);
            if (pFE->m_strFileName.empty() && lpszPathName != nullptr)
                pFE->m_strFileName = lpszPathName;
            pFE->GetErrorMessage(prompt);
        }
    }
    (void)bSaving;
    if (prompt.empty())
        prompt = AfxLoadString(nIDP);
    AfxMessageBox(prompt, MB_ICONEXCLAMATION, nIDP);
}

void CDocument::OnCloseDocument()
{
    // Destroying the frames destroys the views; the contents go after them.
    BOOL bAutoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;  // not while the frames go
    std::vector<CFrameWnd*> frames;
    for (CView* pView : m_viewList) {
        CFrameWnd* pFrame = AfxGetParentFrame(pView);
        if (pFrame != nullptr && std::find(frames.begin(), frames.end(), pFrame) == frames.end())
            frames.push_back(pFrame);
    }
    for (CFrameWnd* pFrame : frames)
        pFrame->DestroyWindow();
    m_bAutoDelete = bAutoDelete;

    DeleteContents();
    if (m_bAutoDelete)
        delete this;
}

BOOL CDocument::DoSave(LPCTSTR lpszPathName, BOOL bReplace)
{
    std::string newName = lpszPathName != nullptr ? lpszPathName : "";
    if (newName.empty()) {
        CDocTemplate* pTemplate = GetDocTemplate();
        newName = m_strPathName;
        if (bReplace && newName.empty()) {
            newName = m_strTitle;
            // a title that is no good as a file name is cut at the first bad character
            size_t bad = newName.find_first_of(" #%;/\\");
            if (bad != std::string::npos)
                newName.resize(bad);
            std::string ext;
            if (pTemplate != nullptr &&
                pTemplate->GetDocString(ext, CDocTemplate::filterExt) && !ext.empty())
                newName += ext;
        }
        if (!AfxGetApp()->DoPromptFileName(newName, AFX_IDS_SAVEFILE, FALSE, pTemplate))
            return FALSE;
    }

    // A failed save leaves the old file as it was (it is replaced only once
    // the new one is complete), so nothing is removed here.
    if (!OnSaveDocument(newName.c_str()))
        return FALSE;

    if (bReplace) {
        SetPathName(newName.c_str());
        m_bShownInPart = FALSE;
        m_bReadAsUnicode = FALSE;
        m_fileStamp = StampOf(m_strPathName);
    } else if (AfxFullPath(newName) == m_strPathName) {
        m_fileStamp = StampOf(m_strPathName);
    }
    return TRUE;
}

BOOL CDocument::DoFileSave()
{
    if (m_bShownInPart || m_bReadAsUnicode || HoldsUnreadableText()
        || AfxIsReadOnlyOrMissing(m_strPathName) || IsChangedOnDisk())
        return DoSave(nullptr);
    return DoSave(m_strPathName.c_str());
}

void CDocument::OnFileClose()
{
    if (!SaveModified())
        return;
    OnCloseDocument();
}

void CDocument::OnFileSave()
{
    DoFileSave();
}

void CDocument::OnFileSaveAs()
{
    DoSave(nullptr);
}
