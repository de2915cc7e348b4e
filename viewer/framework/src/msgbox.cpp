// The message box, with its test hook (the file dialogs run in
// filedialogrun.cpp).
#include "msgbox.h"

#include "dialogplace.h"
#include "qstrings.h"
#include "strings_table.h"

#include <QApplication>
#include <QMessageBox>

namespace {

AfxMessageBoxHook& MessageBoxHook()
{
    static AfxMessageBoxHook hook;
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
        if ((nType & MB_DEFMASK) == MB_DEFBUTTON2)
            box.setDefaultButton(QMessageBox::No);
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
