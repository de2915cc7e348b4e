// CDockSite: what a control bar may ask of the window it docks in: to keep
// it among its bars and let it go, to dock it on a side, float it, show or
// hide it, and where bars may go. The bars know the frame only as this;
// their commands and prompts they send to their parent as messages.
#ifndef RUVOK_DOCKSITE_H
#define RUVOK_DOCKSITE_H

#include "afx.h"

class CControlBar;
class QMainWindow;
struct POINT;
struct RECT;

class CDockSite {
public:
    virtual void AddControlBar(CControlBar* pBar) = 0;
    virtual void RemoveControlBar(CControlBar* pBar) = 0;
    // nDockBarID: a side (AFX_IDW_DOCKBAR_*), or 0 for the first side the
    // bar's own alignment names.
    virtual void DockControlBar(CControlBar* pBar, UINT nDockBarID, const RECT* lpRect) = 0;
    // point: where the bar's small window goes, in screen coordinates.
    virtual void FloatControlBar(CControlBar* pBar, POINT point, DWORD dwStyle) = 0;
    virtual void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay) = 0;
    // The sides (CBRS_ALIGN_*) bars may dock on.
    virtual DWORD GetDockStyle() const = 0;
    // The window the bars are laid out in; NULL while it has none.
    virtual QMainWindow* GetMainWindow() const = 0;

protected:
    ~CDockSite() = default;
};

#endif
