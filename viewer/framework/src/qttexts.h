// Japanese for the texts of Qt's own dialogs that Qt's translation lacks,
// from the resources.
#ifndef RUVOK_QTTEXTS_H
#define RUVOK_QTTEXTS_H

// Installs them behind Qt's own translation.
void AfxInstallQtTexts();

#endif
