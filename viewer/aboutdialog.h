// CAboutDialog: the About box, from dialog template 100.
#ifndef RUVOK_ABOUTDIALOG_H
#define RUVOK_ABOUTDIALOG_H

#include "dialog.h"

class CAboutDialog : public CDialog {
public:
    CAboutDialog();
    ~CAboutDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};

#endif
