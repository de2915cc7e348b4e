// Dragging a bar with the mouse: a rectangle follows the pointer and shows
// where the bar would go, docked on a side of its frame or floating on its
// own; the release puts it there.
#ifndef RUVOK_DOCKCONTEXT_H
#define RUVOK_DOCKCONTEXT_H

#include "afx.h"

#include <QPoint>
#include <QRect>

class CControlBar;
class QObject;
class QRubberBand;

class CDockContext {
public:
    explicit CDockContext(CControlBar* pBar);
    ~CDockContext();
    CDockContext(const CDockContext&) = delete;
    CDockContext& operator=(const CDockContext&) = delete;

    // globalPos: the pointer, in screen coordinates; offset: the pointer's
    // place within the bar's floating window (or the bar) at the press.
    void StartDrag(const QPoint& globalPos, const QPoint& offset);
    void Move(const QPoint& globalPos);
    void EndDrag(const QPoint& globalPos);
    void CancelDrag();

    // Where a drop with the pointer at globalPos puts the bar: one of the
    // frame's sides (AFX_IDW_DOCKBAR_*) near that point, when both the bar
    // and the frame allow it, else AFX_IDW_DOCKBAR_FLOAT.
    UINT DropTarget(const QPoint& globalPos) const;

private:
    // The frame's inside (between menu and status bar), on the screen;
    // null while the frame isn't shown.
    QRect FrameInside() const;
    QRect TrackRect(UINT nTarget, const QPoint& globalPos) const;

    CControlBar* m_pBar;
    QRubberBand* m_pBand = nullptr;
    QObject* m_pEscape = nullptr;  // watches for Esc while tracking
    QPoint m_start;
    QPoint m_offset;
    BOOL m_bPressed = FALSE;
    BOOL m_bTracking = FALSE;
};

#endif
