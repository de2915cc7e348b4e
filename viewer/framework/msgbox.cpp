// The message box and the file dialogs, with their test hooks.
#include "msgbox.h"

#include "dialogplace.h"
#include "qstrings.h"
#include "strings_table.h"

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QStringList>

namespace {

AfxMessageBoxHook& MessageBoxHook()
{
    static AfxMessageBoxHook hook;
    return hook;
}

AfxFileDialogHook& FileDialogHook()
{
    static AfxFileDialogHook hook;
    return hook;
}

int RunMessageBox(const std::string& text, UINT nType)
{
    QMessageBox box(AfxGetDialogOwner());
    box.setWindowTitle(AfxQText(AfxLoadString(AFX_IDS_APP_TITLE)));
    box.setText(AfxQText(text));
    switch (nType & MB_ICONMASK) {
    case MB_ICONHAND:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    switch (nType & MB_TYPEMASK) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

// The file dialog's list with sizes and dates in Japanese: Qt writes them in
// the system's locale (English where none is set), not the program's.
class JapaneseDetailsModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        auto* pModel = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || pModel == nullptr ||
            (index.column() != kSize && index.column() != kDate))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == kSize)
            return pModel->isDir(source) ? QString()
                                         : QLocale().formattedDataSize(pModel->size(source));
        return QLocale().toString(pModel->lastModified(source), QLocale::ShortFormat);
    }

private:
    static constexpr int kSize = 1;
    static constexpr int kDate = 3;
};

}  // namespace

int AfxMessageBox(const std::string& text, UINT nType, UINT)
{
    if ((nType & MB_ICONMASK) == 0)
        nType |= MB_ICONEXCLAMATION;
    if (MessageBoxHook())
        return MessageBoxHook()(text, nType);
    return RunMessageBox(text, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    return AfxMessageBox(AfxLoadString(nIDPrompt), nType,
                         nIDHelp == static_cast<UINT>(-1) ? nIDPrompt : nIDHelp);
}

AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook)
{
    AfxMessageBoxHook old = std::move(MessageBoxHook());
    MessageBoxHook() = std::move(hook);
    return old;
}

BOOL AfxDoFileDialog(AfxFileDialogRequest& request)
{
    if (FileDialogHook())
        return FileDialogHook()(request);

    QFileDialog dialog(AfxGetDialogOwner(), AfxQText(request.title));
    dialog.setAcceptMode(request.bOpenFileDialog ? QFileDialog::AcceptOpen
                                                 : QFileDialog::AcceptSave);
    dialog.setFileMode(request.bOpenFileDialog ? QFileDialog::ExistingFile
                                               : QFileDialog::AnyFile);
    // Each filter is shown by its own name only; the pattern Qt matches is
    // added behind it and hidden, so "(*.*)" can stand for every file.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setProxyModel(new JapaneseDetailsModel(&dialog));
    // wide enough for the sizes and dates in full
    dialog.resize(dialog.sizeHint().expandedTo(QSize(780, 440)));
    AfxFitDialogToScreen(&dialog);
    if (auto* pList = dialog.findChild<QTreeView*>()) {
        for (int column = 1; column <= 3; ++column)
            pList->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    QStringList filters;
    for (const AfxFileFilter& f : request.filters)
        filters << AfxQText(f.name) + QLatin1String(" (") + AfxQText(f.pattern) + QLatin1Char(')');
    dialog.setNameFilters(filters);
    if (!request.bOpenFileDialog && !request.defaultExt.empty())
        dialog.setDefaultSuffix(AfxQText(request.defaultExt));
    if (!request.fileName.empty())
        dialog.selectFile(AfxQFileName(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return FALSE;
    request.fileName = dialog.selectedFiles().first().toLocal8Bit().toStdString();
    return TRUE;
}

AfxFileDialogHook AfxSetFileDialogHook(AfxFileDialogHook hook)
{
    AfxFileDialogHook old = std::move(FileDialogHook());
    FileDialogHook() = std::move(hook);
    return old;
}
