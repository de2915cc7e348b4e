// CDocument: the data behind the views, with the framework's New, Open, Save
// and close handling around the class's own Serialize.
#ifndef RUVOK_DOCUMENT_H
#define RUVOK_DOCUMENT_H

#include "afx.h"

#include <string>
#include <vector>

class CArchive;
class CDocTemplate;
class CException;
class CFile;
class CFileException;
class CFrameWnd;
class CView;

struct __POSITION;
typedef __POSITION* POSITION;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    ~CDocument() override;

    const std::string& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCTSTR lpszTitle);
    const std::string& GetPathName() const { return m_strPathName; }
    // Sets the path and takes the title from the file's name. The path is
    // the file's bytes; the title is text (UTF-8), the name as it reads.
    virtual void SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    virtual BOOL IsModified();
    virtual void SetModifiedFlag(BOOL bModified = TRUE);

    // Whether the text shown is only part of the file that was opened (it was
    // cut at a size limit or at a NUL byte). Such a document saves through
    // Save As, so the cut copy never silently replaces the whole file.
    BOOL IsShownInPart() const { return m_bShownInPart; }
    void SetShownInPart(BOOL bShownInPart = TRUE) { m_bShownInPart = bShownInPart; }
    // Whether the text was read from a Unicode file and converted to code
    // page 932: saved in place it would replace the file with another code,
    // so it saves through Save As too.
    BOOL IsReadAsUnicode() const { return m_bReadAsUnicode; }
    void SetReadAsUnicode(BOOL bReadAsUnicode = TRUE) { m_bReadAsUnicode = bReadAsUnicode; }
    // Whether the text holds what its file would not get back as it was read
    // (bytes that stand for no character); such a document saves through
    // Save As. The base class's text has none.
    virtual BOOL HoldsUnreadableText();
    // Whether the document's file is no longer the one it read or last
    // saved: its size, modification time or inode differs. Saving over it
    // would silently throw away what another program wrote.
    BOOL IsChangedOnDisk() const;

    // Views: the first one is what a single-document program works with.
    void AddView(CView* pView);
    void RemoveView(CView* pView);
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& rPosition) const;
    void UpdateFrameCounts();

    // Saves first if the user wants to (the prompt 0xF103 with Yes, No and
    // Cancel); FALSE when the document is to stay (Cancel, or the save failed).
    virtual BOOL SaveModified();
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);

    virtual void DeleteContents();
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(LPCTSTR lpszPathName);
    virtual BOOL OnSaveDocument(LPCTSTR lpszPathName);
    virtual void OnCloseDocument();

    // Saves to lpszPathName, or through the Save As dialog when it is NULL;
    // with bReplace the document takes the new name.
    virtual BOOL DoSave(LPCTSTR lpszPathName, BOOL bReplace = TRUE);
    // Save: in place, or through Save As for an untitled, missing, read-only
    // or partly shown file, a file read as Unicode, a text the file would not
    // read back, or a file changed on disk since.
    virtual BOOL DoFileSave();

    virtual CFile* GetFile(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError);
    virtual void ReleaseFile(CFile* pFile, BOOL bAbort);
    // The one message for a failed load or save.
    virtual void ReportSaveLoadException(LPCTSTR lpszPathName, CException* e, BOOL bSaving,
                                         UINT nIDPDefault);

    // The commands this class serves.
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();

    BOOL m_bAutoDelete = TRUE;

protected:
    CDocument();

    std::string m_strTitle;
    std::string m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_viewList;
    BOOL m_bModified = FALSE;
    BOOL m_bShownInPart = FALSE;
    BOOL m_bReadAsUnicode = FALSE;

    // The file as it was when read or last saved.
    struct FileStamp {
        bool valid = false;
        unsigned long long dev = 0, ino = 0, size = 0;
        long long sec = 0, nsec = 0;
        bool operator==(const FileStamp& o) const
        {
            return valid == o.valid && dev == o.dev && ino == o.ino && size == o.size
                   && sec == o.sec && nsec == o.nsec;
        }
    };
    static FileStamp StampOf(const std::string& path);
    FileStamp m_fileStamp;

    friend class CDocTemplate;

    DECLARE_MESSAGE_MAP()
};

#endif
