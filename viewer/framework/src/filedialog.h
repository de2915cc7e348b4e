// The Open and Save As dialogs. They look and answer as Qt's own file dialog
// does (its texts in Japanese through Qt's translation, the list with its
// size, type and date columns, the type filters, keyboard use), but list a
// folder through CFolderList and hand back the chosen entry's own bytes: Qt's
// dialog keeps names only as decoded strings, so a Shift_JIS or EUC-JP name
// is missing from it, or comes back as a different file's.
#ifndef RUVOK_FILEDIALOG_H
#define RUVOK_FILEDIALOG_H

#include <QDialog>

#include <string>
#include <vector>

struct AfxFileDialogRequest;
class CFolderList;
class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QModelIndex;
class QToolButton;
class QTreeView;

class FileDialog : public QDialog {
    Q_OBJECT
public:
    // Opens in the folder of request.fileName when it names one (the name
    // itself proposed, and selected where it is listed), else in the folder
    // the last dialog ended in, else in the current folder.
    FileDialog(const AfxFileDialogRequest& request, QWidget* pParent);
    ~FileDialog() override;

    // The chosen file's path, as bytes, once the dialog is accepted.
    const std::string& PathName() const { return m_path; }
    // The folder the list shows, as bytes.
    const std::string& Folder() const;

    // The name field's text, or the list's entry, taken as the user's
    // choice: a folder is entered; a file that is missing (Open) or there
    // already (Save, after asking) is said so.
    void accept() override;

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override;

private:
    void Go(const std::string& folder, bool bRemember = true);
    void Step(std::vector<std::string>& from, std::vector<std::string>& to);
    void GoBack();
    void GoForward();
    void GoUp();
    void NewFolder();
    void OnActivated(const QModelIndex& index);
    void OnCurrentChanged(const QModelIndex& index);
    void OnTypeChosen(int nIndex);
    void ShowListMenu(const QPoint& at);
    void UpdatePlaces();
    // The path the typed text names: each name of it matched to the entry
    // that reads so, the entry chosen in the list first.
    std::string PathAsTyped(const QString& typed) const;
    void Finish(const std::string& path);

    bool m_bOpen;
    std::string m_defaultExt;
    CFolderList* m_pList;
    QTreeView* m_pView;
    QComboBox* m_pLookIn;
    QToolButton* m_pBack;
    QToolButton* m_pForward;
    QToolButton* m_pUp;
    QToolButton* m_pNewFolder;
    QLineEdit* m_pName;
    QComboBox* m_pTypes;
    QDialogButtonBox* m_pButtons;
    std::vector<std::string> m_places;  // the look-in list's folders
    std::vector<std::string> m_back;
    std::vector<std::string> m_forward;
    // The entry the list put into the name field, while the field reads so.
    std::string m_chosenName;
    std::string m_path;
};

#endif
