// CRuvokApp: the viewer's application object.
#ifndef RUVOK_RUVOKAPP_H
#define RUVOK_RUVOKAPP_H

#include "app.h"

class CRuvokApp : public CWinApp {
public:
    CRuvokApp();
    ~CRuvokApp() override;
    BOOL InitInstance() override;

    void OnHelpAbout();

    DECLARE_MESSAGE_MAP()
};

extern CRuvokApp theApp;

#endif
