#include "dc.h"

#include <QPainter>
#include <QWidget>

CDC::CDC() = default;

CDC::~CDC()
{
    delete m_pPainter;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd)
{
    // Qt draws on a widget only inside its paint event; elsewhere the cycle
    // has nothing to draw on and paints nothing, as an empty update region.
    QWidget* pWidget = pWnd != nullptr ? pWnd->GetWidget() : nullptr;
    if (pWidget != nullptr && pWidget->testAttribute(Qt::WA_WState_InPaintEvent))
        m_pPainter = new QPainter(pWidget);
}

CPaintDC::~CPaintDC()
{
    if (m_pPainter != nullptr)
        m_pPainter->end();
}
