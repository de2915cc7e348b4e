// The Open and Save As dialogs over folders of byte names (see filedialog.h);
// AfxDoFileDialog runs them (filedialogrun.cpp).
#include "filedialog.h"

#include "dialogplace.h"
#include "file.h"
#include "filename.h"
#include "folderlist.h"
#include "msgbox.h"
#include "qstrings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folder the last dialog ended in: the next one opens there.
std::string& LastFolder()
{
    static std::string folder;
    return folder;
}

QString QtText(const char* context, const char* text, const char* comment = nullptr)
{
    return QCoreApplication::translate(context, text, comment);
}

QString DialogText(const char* text)
{
    return QtText("QFileDialog", text);
}

// One of Qt's file dialog messages, about a path named as it reads.
int Say(const char* text, const std::string& path, UINT nType = MB_OK | MB_ICONEXCLAMATION)
{
    return AfxMessageBox(DialogText(text).arg(AfxQText(AfxDisplayName(path))).toStdString(),
                         nType);
}

constexpr char kFolderNotFound[] =
    "%1\nDirectory not found.\nPlease verify the correct directory name was given.";

std::string CurrentFolder()
{
    return AfxFullPath(".");
}

// "*.txt;*.log" or "*.txt *.log" as patterns.
QStringList Patterns(const QString& filter)
{
    QStringList patterns;
    for (const QString& p : filter.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        patterns += p.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return patterns;
}

QString NoMnemonic(QString text)
{
    const qsizetype open = text.indexOf(QStringLiteral("(&"));
    if (open >= 0 && text.indexOf(QLatin1Char(')'), open) == open + 3)
        text.remove(open, 4);
    return text.remove(QLatin1Char('&'));
}

QToolButton* MakeToolButton(QWidget* pParent, QStyle::StandardPixmap icon, const QString& tip,
                            const char* objectName)
{
    auto* pButton = new QToolButton(pParent);
    pButton->setIcon(pParent->style()->standardIcon(icon, nullptr, pParent));
    pButton->setToolTip(tip);
    pButton->setAccessibleName(tip);
    pButton->setAutoRaise(true);
    pButton->setObjectName(QLatin1String(objectName));
    return pButton;
}

}  // namespace

FileDialog::FileDialog(const AfxFileDialogRequest& request, QWidget* pParent)
    : QDialog(pParent), m_bOpen(request.bOpenFileDialog != FALSE),
      m_defaultExt(request.bOpenFileDialog ? std::string() : request.defaultExt)
{
    setWindowTitle(AfxQText(request.title));
    setAccessibleName(windowTitle());
    setSizeGripEnabled(true);

    auto* pLookInLabel = new QLabel(DialogText("Look in:"), this);
    m_pLookIn = new QComboBox(this);
    m_pLookIn->setObjectName(QStringLiteral("lookInCombo"));
    m_pLookIn->setAccessibleName(NoMnemonic(pLookInLabel->text()));
    m_pLookIn->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pLookIn->setMinimumContentsLength(20);
    pLookInLabel->setBuddy(m_pLookIn);
    m_pBack = MakeToolButton(this, QStyle::SP_ArrowBack, DialogText("Back"), "backButton");
    m_pForward =
        MakeToolButton(this, QStyle::SP_ArrowForward, DialogText("Forward"), "forwardButton");
    m_pUp = MakeToolButton(this, QStyle::SP_FileDialogToParent, DialogText("Parent Directory"),
                           "toParentButton");
    m_pNewFolder = MakeToolButton(this, QStyle::SP_FileDialogNewFolder,
                                  DialogText("Create New Folder"), "newFolderButton");
    m_pBack->setShortcut(QKeySequence::Back);
    m_pForward->setShortcut(QKeySequence::Forward);
    m_pUp->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));

    m_pList = new CFolderList(this);
    m_pView = new QTreeView(this);
    m_pView->setObjectName(QStringLiteral("treeView"));
    m_pView->setModel(m_pList);
    m_pView->setRootIsDecorated(false);
    m_pView->setItemsExpandable(false);
    m_pView->setUniformRowHeights(true);
    m_pView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pView->setSortingEnabled(true);
    m_pView->sortByColumn(CFolderList::kName, Qt::AscendingOrder);
    m_pView->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pView->setAccessibleName(QtText("QFileSystemModel", "Name"));
    // wide enough for the sizes and dates in full
    m_pView->header()->setStretchLastSection(false);
    m_pView->header()->setSectionResizeMode(CFolderList::kName, QHeaderView::Stretch);
    for (int column = CFolderList::kSize; column <= CFolderList::kDate; ++column)
        m_pView->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    m_pView->installEventFilter(this);

    auto* pNameLabel = new QLabel(DialogText("File &name:"), this);
    m_pName = new QLineEdit(this);
    m_pName->setObjectName(QStringLiteral("fileNameEdit"));
    m_pName->setAccessibleName(NoMnemonic(pNameLabel->text()));
    pNameLabel->setBuddy(m_pName);
    auto* pCompleter = new QCompleter(m_pList, this);
    pCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    pCompleter->setCompletionColumn(CFolderList::kName);
    m_pName->setCompleter(pCompleter);
    pCompleter->popup()->installEventFilter(this);

    auto* pTypesLabel = new QLabel(DialogText("Files of type:"), this);
    m_pTypes = new QComboBox(this);
    m_pTypes->setObjectName(QStringLiteral("fileTypeCombo"));
    m_pTypes->setAccessibleName(NoMnemonic(pTypesLabel->text()));
    pTypesLabel->setBuddy(m_pTypes);
    for (const AfxFileFilter& filter : request.filters)
        m_pTypes->addItem(AfxQText(filter.name), AfxQText(filter.pattern));

    m_pButtons = new QDialogButtonBox(
        (m_bOpen ? QDialogButtonBox::Open : QDialogButtonBox::Save) | QDialogButtonBox::Cancel,
        Qt::Vertical, this);
    m_pButtons->setObjectName(QStringLiteral("buttonBox"));
    m_pButtons->button(m_bOpen ? QDialogButtonBox::Open : QDialogButtonBox::Save)
        ->setText(DialogText(m_bOpen ? "&Open" : "&Save"));
    for (QAbstractButton* pButton : m_pButtons->buttons())
        pButton->setAccessibleName(NoMnemonic(pButton->text()));

    auto* pGrid = new QGridLayout(this);
    auto* pTop = new QHBoxLayout;
    pTop->addWidget(m_pLookIn, 1);
    pTop->addWidget(m_pBack);
    pTop->addWidget(m_pForward);
    pTop->addWidget(m_pUp);
    pTop->addWidget(m_pNewFolder);
    pGrid->addWidget(pLookInLabel, 0, 0);
    pGrid->addLayout(pTop, 0, 1, 1, 2);
    pGrid->addWidget(m_pView, 1, 0, 1, 3);
    pGrid->addWidget(pNameLabel, 2, 0);
    pGrid->addWidget(m_pName, 2, 1);
    pGrid->addWidget(pTypesLabel, 3, 0);
    pGrid->addWidget(m_pTypes, 3, 1);
    pGrid->addWidget(m_pButtons, 2, 2, 2, 1);
    setTabOrder(m_pLookIn, m_pBack);
    setTabOrder(m_pBack, m_pForward);
    setTabOrder(m_pForward, m_pUp);
    setTabOrder(m_pUp, m_pNewFolder);
    setTabOrder(m_pNewFolder, m_pView);
    setTabOrder(m_pView, m_pName);
    setTabOrder(m_pName, m_pTypes);
    setTabOrder(m_pTypes, m_pButtons);

    connect(m_pButtons, &QDialogButtonBox::accepted, this, &FileDialog::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &FileDialog::reject);
    connect(m_pBack, &QToolButton::clicked, this, &FileDialog::GoBack);
    connect(m_pForward, &QToolButton::clicked, this, &FileDialog::GoForward);
    connect(m_pUp, &QToolButton::clicked, this, &FileDialog::GoUp);
    connect(m_pNewFolder, &QToolButton::clicked, this, &FileDialog::NewFolder);
    connect(m_pLookIn, qOverload<int>(&QComboBox::activated), this, [this](int nIndex) {
        if (nIndex >= 0 && static_cast<std::size_t>(nIndex) < m_places.size())
            Go(m_places[static_cast<std::size_t>(nIndex)]);
    });
    connect(m_pView, &QTreeView::activated, this, &FileDialog::OnActivated);
    connect(m_pView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { OnCurrentChanged(index); });
    connect(m_pView, &QWidget::customContextMenuRequested, this, &FileDialog::ShowListMenu);
    connect(m_pTypes, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &FileDialog::OnTypeChosen);
    connect(m_pName, &QLineEdit::textEdited, this, [this] { m_chosenName.clear(); });

    // Where to start: the proposed name's folder, or the last one.
    const std::string& proposed = request.fileName;
    std::string folder = AfxFolderOf(proposed);
    std::string name = proposed.substr(folder.empty() ? 0 : proposed.find_last_of('/') + 1);
    if (!folder.empty())
        folder = AfxFullPath(folder);
    if (folder.empty() || !AfxIsFolder(folder))
        folder = !LastFolder().empty() && AfxIsFolder(LastFolder()) ? LastFolder() : CurrentFolder();
    OnTypeChosen(m_pTypes->currentIndex());
    Go(folder, false);
    if (!name.empty()) {
        const QModelIndex index = m_pList->IndexOf(name);
        if (index.isValid()) {
            m_pView->setCurrentIndex(index);
            m_pView->scrollTo(index);
        }
        m_pName->setText(AfxQText(AfxDisplayName(name)));
        m_chosenName = name;
    }
    resize(sizeHint().expandedTo(QSize(780, 440)));
    m_pName->setFocus();
}

FileDialog::~FileDialog() = default;

const std::string& FileDialog::Folder() const
{
    return m_pList->Folder();
}

void FileDialog::Go(const std::string& folder, bool bRemember)
{
    const std::string from = m_pList->Folder();
    if (!m_pList->Read(folder)) {
        Say(kFolderNotFound, folder);
        return;
    }
    if (bRemember && !from.empty() && from != folder) {
        m_back.push_back(from);
        m_forward.clear();
    }
    UpdatePlaces();
}

// One step back or forward: the folder left goes to the other list.
void FileDialog::Step(std::vector<std::string>& from, std::vector<std::string>& to)
{
    if (from.empty())
        return;
    const std::string folder = from.back();
    from.pop_back();
    to.push_back(m_pList->Folder());
    Go(folder, false);
}

void FileDialog::GoBack()
{
    Step(m_back, m_forward);
}

void FileDialog::GoForward()
{
    Step(m_forward, m_back);
}

void FileDialog::GoUp()
{
    const std::string parent = AfxFolderOf(m_pList->Folder());
    if (!parent.empty() && parent != m_pList->Folder())
        Go(parent);
}

// The current folder and the folders it is in, the home folder after them.
void FileDialog::UpdatePlaces()
{
    m_places.clear();
    for (std::string folder = m_pList->Folder(); !folder.empty();) {
        m_places.push_back(folder);
        if (folder == "/")
            break;
        folder = AfxFolderOf(folder);
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') {
        const std::string homeFolder = AfxFullPath(home);
        if (std::find(m_places.begin(), m_places.end(), homeFolder) == m_places.end())
            m_places.push_back(homeFolder);
    }
    const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon, nullptr, this);
    m_pLookIn->clear();
    for (const std::string& folder : m_places)
        m_pLookIn->addItem(icon, AfxQText(AfxDisplayName(folder)));
    m_pLookIn->setCurrentIndex(0);
    m_pBack->setEnabled(!m_back.empty());
    m_pForward->setEnabled(!m_forward.empty());
    m_pUp->setEnabled(m_pList->Folder() != "/");
}

void FileDialog::OnActivated(const QModelIndex& index)
{
    const CFolderList::Entry* pEntry = m_pList->EntryAt(index);
    if (pEntry == nullptr)
        return;
    if (pEntry->folder) {
        if (!m_bOpen)
            m_chosenName.clear();  // a name typed for saving stays
        else
            m_pName->clear();
        Go(AfxChildPath(m_pList->Folder(), pEntry->name));
        return;
    }
    m_pName->setText(pEntry->shown);
    m_chosenName = pEntry->name;
    accept();
}

void FileDialog::OnCurrentChanged(const QModelIndex& index)
{
    const CFolderList::Entry* pEntry = m_pList->EntryAt(index);
    if (pEntry == nullptr || (pEntry->folder && !m_bOpen))
        return;
    m_pName->setText(pEntry->shown);
    m_chosenName = pEntry->name;
}

void FileDialog::OnTypeChosen(int nIndex)
{
    m_pList->SetNameFilters(nIndex >= 0 ? Patterns(m_pTypes->itemData(nIndex).toString())
                                        : QStringList());
}

void FileDialog::ShowListMenu(const QPoint& at)
{
    QMenu menu(this);
    QAction* pNewFolder = menu.addAction(DialogText("&New Folder"));
    QAction* pHidden = menu.addAction(DialogText("Show &hidden files"));
    pHidden->setCheckable(true);
    pHidden->setChecked(m_pList->ShowsHidden());
    QAction* pChosen = menu.exec(m_pView->viewport()->mapToGlobal(at));
    if (pChosen == pNewFolder)
        NewFolder();
    else if (pChosen == pHidden)
        m_pList->SetShowHidden(pHidden->isChecked());
}

// A folder of a new name, at once there, whose name the user then types.
void FileDialog::NewFolder()
{
    const std::string folder = m_pList->Folder();
    const QString base = DialogText("New Folder");
    std::string name = base.toStdString();
    for (int n = 2; AfxPathExists(AfxChildPath(folder, name)); ++n)
        name = (base + QString::number(n)).toStdString();
    if (::mkdir(AfxChildPath(folder, name).c_str(), 0777) != 0) {
        AfxMessageBox(DialogText("Could not create folder").toStdString(),
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_pList->Read(folder);
    m_pList->SetEditable(name);
    const QModelIndex index = m_pList->IndexOf(name);
    m_pView->setCurrentIndex(index);
    m_pView->scrollTo(index);
    m_pView->edit(index);
}

std::string FileDialog::PathAsTyped(const QString& typed) const
{
    const std::string& folder = m_pList->Folder();
    if (!m_chosenName.empty() && typed == AfxQText(AfxDisplayName(m_chosenName)))
        return AfxChildPath(folder, m_chosenName);
    QString rest = typed;
    std::string path = folder;
    if (rest.startsWith(QLatin1Char('/'))) {
        path = "/";
    } else if ((rest == QLatin1String("~") || rest.startsWith(QLatin1String("~/"))) &&
               std::getenv("HOME") != nullptr) {
        path = std::getenv("HOME");
        rest.remove(0, 1);
    }
    for (const QString& name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            path = AfxChildPath(path, name.toStdString());
        else
            path = AfxChildPath(path, AfxNameAsTyped(path, name));
    }
    return AfxFullPath(path);
}

void FileDialog::accept()
{
    const QString typed = m_pName->text();
    if (typed.isEmpty()) {
        const CFolderList::Entry* pEntry = m_pList->EntryAt(m_pView->currentIndex());
        if (pEntry != nullptr && pEntry->folder)
            Go(AfxChildPath(m_pList->Folder(), pEntry->name));
        return;
    }
    // A pattern typed in lists what it matches.
    if (typed.contains(QLatin1Char('*')) || typed.contains(QLatin1Char('?'))) {
        m_pList->SetNameFilters(Patterns(typed));
        m_pName->clear();
        return;
    }
    std::string path = PathAsTyped(typed);
    if (AfxIsFolder(path)) {
        m_pName->clear();
        m_chosenName.clear();
        Go(path);
        return;
    }
    if (m_bOpen) {
        if (!AfxPathExists(path)) {
            Say("%1\nFile not found.\nPlease verify the correct file name was given.",
                AfxGetFileTitle(path));
            return;
        }
        Finish(path);
        return;
    }
    // A new name without an extension takes the document's.
    if (!m_defaultExt.empty() && AfxGetFileTitle(path).find('.') == std::string::npos) {
        path += "." + m_defaultExt;
        if (AfxIsFolder(path)) {
            Go(path);
            return;
        }
    }
    const std::string folder = AfxFolderOf(path);
    if (!AfxIsFolder(folder)) {
        Say(kFolderNotFound, folder);
        return;
    }
    if (AfxPathExists(path) && Say("%1 already exists.\nDo you want to replace it?", AfxGetFileTitle(path),
                            MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return;
    Finish(path);
}

void FileDialog::Finish(const std::string& path)
{
    m_path = path;
    LastFolder() = AfxFolderOf(path);
    QDialog::accept();
}

bool FileDialog::eventFilter(QObject* pObject, QEvent* pEvent)
{
    // Enter on a row is that row's choice: it must not reach the dialog's
    // default button as well (which would save under the typed name in the
    // folder just entered). Backspace goes up, as in Qt's dialog. A name
    // being edited gets its keys itself.
    if (pObject == m_pView && pEvent->type() == QEvent::KeyPress) {
        const auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if ((pKey->key() == Qt::Key_Return || pKey->key() == Qt::Key_Enter) &&
            m_pView->currentIndex().isValid()) {
            OnActivated(m_pView->currentIndex());
            return true;
        }
        if (pKey->key() == Qt::Key_Backspace && pKey->modifiers() == Qt::NoModifier) {
            GoUp();
            return true;
        }
    }
    // Enter in the completions of a name typed whole takes the name, as
    // Enter without them would; a completion picked only fills it in.
    if (m_pName->completer() != nullptr && pObject == m_pName->completer()->popup() &&
        pEvent->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(pEvent)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QString typed = m_pName->text();
            QTimer::singleShot(0, this, [this, typed] {
                if (m_pName->text() == typed)
                    accept();
            });
        }
    }
    return QDialog::eventFilter(pObject, pEvent);
}
