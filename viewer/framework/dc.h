// Device contexts: CDC draws on a window, CPaintDC is the paint cycle of a
// window's WM_PAINT (begun when it is made, ended when it goes).
#ifndef RUVOK_DC_H
#define RUVOK_DC_H

#include "wnd.h"

class QPainter;

class CDC : public CObject {
public:
    CDC();
    ~CDC() override;
    // The painter behind it; NULL when there is nothing to draw on.
    QPainter* GetPainter() const { return m_pPainter; }

protected:
    QPainter* m_pPainter = nullptr;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

protected:
    CWnd* m_pWnd;
};

#endif
