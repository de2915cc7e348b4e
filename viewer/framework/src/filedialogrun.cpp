// AfxDoFileDialog (msgbox.h): the Open and Save As prompts, run as the dialog
// of filedialog.cpp or answered through the hook the tests set.
#include "msgbox.h"

#include "dialogplace.h"
#include "filedialog.h"

namespace {

AfxFileDialogHook& FileDialogHook()
{
    static AfxFileDialogHook hook;
    return hook;
}

}  // namespace

BOOL AfxDoFileDialog(AfxFileDialogRequest& request)
{
    if (FileDialogHook())
        return FileDialogHook()(request);

    FileDialog dialog(request, AfxGetDialogOwner());
    AfxFitDialogToScreen(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return FALSE;
    request.fileName = dialog.PathName();
    return TRUE;
}

AfxFileDialogHook AfxSetFileDialogHook(AfxFileDialogHook hook)
{
    AfxFileDialogHook old = std::move(FileDialogHook());
    FileDialogHook() = std::move(hook);
    return old;
}
