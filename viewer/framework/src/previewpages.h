// The pages of print preview, drawn by the preview itself: one page, or
// pages n and n+1 side by side, fitted to the window in either orientation;
// zoomed, one page larger than the window, scrolled so that the point that
// was clicked is in the middle. Each page is the paper with its printable
// area, in which the view's own printing draws at the printer's resolution.
#ifndef RUVOK_PREVIEWPAGES_H
#define RUVOK_PREVIEWPAGES_H

#include <QAbstractScrollArea>
#include <QCursor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <functional>

class QPainter;

class AfxPreviewPages : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum Zoom { kZoomOut = 0, kZoomMiddle = 1, kZoomIn = 2 };

    explicit AfxPreviewPages(QWidget* pParent = nullptr);

    // Draws page nPage's printable area; the painter's units are the
    // printer's pixels, its origin the area's top left corner.
    using DrawPage = std::function<void(QPainter& painter, unsigned nPage)>;
    void SetDrawPage(DrawPage draw) { m_draw = std::move(draw); }

    // The paper and its printable area in printer pixels, and the printer's
    // resolution (for the zoomed page's real size).
    void SetPaper(const QSizeF& paper, const QRectF& printable, double dpi);
    void SetPageCount(unsigned nPages);
    unsigned GetPageCount() const { return m_nPageCount; }

    // The first page shown; one or two pages side by side while zoomed out.
    void SetCurrentPage(unsigned nPage);
    unsigned GetCurrentPage() const { return m_nCurrent; }
    void SetPagesShown(unsigned nPages);
    unsigned GetPagesShown() const { return m_nZoom == kZoomOut ? m_nShown : 1; }

    // Zooms to nZoom on the current page; pageFraction, where given, is the
    // point of the page (0 to 1 across and down) that goes to the middle of
    // the window.
    void SetZoom(int nZoom, const QPointF* pageFraction = nullptr);
    int GetZoom() const { return m_nZoom; }

    // Where the pages are on the window now (window coordinates).
    QList<QRect> PageRects() const;
    // Paper pixels to window pixels.
    double Scale() const;
    // The page and the point of it (0 to 1 across and down) at pos; FALSE
    // when pos is beside the pages.
    bool PagePointAt(const QPoint& pos, unsigned& nPage, QPointF& fraction) const;

    void SetMagnifier(const QCursor& cursor) { m_magnifier = cursor; }

Q_SIGNALS:
    // The user turned the page (scroll bar or wheel, zoomed out).
    void currentPageChanged(unsigned nPage);
    // A click with the left button on page nPage at fraction of it.
    void pageClicked(unsigned nPage, QPointF fraction);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double FitScale(unsigned nSlots) const;
    QSize ContentSize() const;
    void UpdateScrollBars();
    void UpdateCursor(const QPoint& pos);
    void CenterOn(const QPointF& pageFraction);

    DrawPage m_draw;
    QSizeF m_paper{1, 1};
    QRectF m_printable{0, 0, 1, 1};
    double m_dpi = 600;
    unsigned m_nPageCount = 1;
    unsigned m_nCurrent = 1;
    unsigned m_nShown = 1;
    int m_nZoom = kZoomOut;
    bool m_bUpdating = false;
    QCursor m_magnifier;
};

#endif
