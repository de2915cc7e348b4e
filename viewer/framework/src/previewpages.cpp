// The preview's pages: their layout, zoom and scrolling (see previewpages.h).
#include "previewpages.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kGap = 8;     // around and between the pages, in window pixels
constexpr int kShadow = 3;  // the shadow under a page

}  // namespace

AfxPreviewPages::AfxPreviewPages(QWidget* pParent) : QAbstractScrollArea(pParent)
{
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    UpdateScrollBars();
}

void AfxPreviewPages::SetPaper(const QSizeF& paper, const QRectF& printable, double dpi)
{
    m_paper = paper.isEmpty() ? QSizeF(1, 1) : paper;
    m_printable = printable;
    m_dpi = dpi > 0 ? dpi : 600;
    UpdateScrollBars();
    viewport()->update();
}

void AfxPreviewPages::SetPageCount(unsigned nPages)
{
    m_nPageCount = std::max(1u, nPages);
    SetCurrentPage(m_nCurrent);
}

void AfxPreviewPages::SetCurrentPage(unsigned nPage)
{
    m_nCurrent = std::clamp(nPage, 1u, m_nPageCount);
    UpdateScrollBars();
    viewport()->update();
}

void AfxPreviewPages::SetPagesShown(unsigned nPages)
{
    m_nShown = nPages == 2 ? 2 : 1;
    UpdateScrollBars();
    viewport()->update();
}

double AfxPreviewPages::FitScale(unsigned nSlots) const
{
    const double width = (viewport()->width() - (nSlots + 1.0) * kGap) / nSlots;
    const double height = viewport()->height() - 2.0 * kGap;
    const double scale = std::min(width / m_paper.width(), height / m_paper.height());
    return std::max(scale, 1e-4);
}

double AfxPreviewPages::Scale() const
{
    if (m_nZoom == kZoomOut)
        return FitScale(m_nShown);
    // Zoomed in, the page at its real size on the screen (at least twice
    // the whole page's); halfway between, the middle step.
    const double fit = FitScale(1);
    const double full = std::max(logicalDpiX() / m_dpi, 2 * fit);
    return m_nZoom == kZoomIn ? full : (fit + full) / 2;
}

QSize AfxPreviewPages::ContentSize() const
{
    const double scale = Scale();
    return QSize(static_cast<int>(std::lround(m_paper.width() * scale)) + 2 * kGap,
                 static_cast<int>(std::lround(m_paper.height() * scale)) + 2 * kGap);
}

QList<QRect> AfxPreviewPages::PageRects() const
{
    QList<QRect> rects;
    const double scale = Scale();
    const int pw = static_cast<int>(std::lround(m_paper.width() * scale));
    const int ph = static_cast<int>(std::lround(m_paper.height() * scale));
    const int width = viewport()->width();
    const int height = viewport()->height();
    if (m_nZoom == kZoomOut) {
        const int total = static_cast<int>(m_nShown) * pw + (static_cast<int>(m_nShown) - 1) * kGap;
        const int x0 = (width - total) / 2;
        const int y0 = (height - ph) / 2;
        for (unsigned i = 0; i < m_nShown && m_nCurrent + i <= m_nPageCount; ++i)
            rects.append(QRect(x0 + static_cast<int>(i) * (pw + kGap), y0, pw, ph));
        return rects;
    }
    const QSize content = ContentSize();
    const int x0 = content.width() <= width ? (width - pw) / 2
                                            : kGap - horizontalScrollBar()->value();
    const int y0 = content.height() <= height ? (height - ph) / 2
                                              : kGap - verticalScrollBar()->value();
    rects.append(QRect(x0, y0, pw, ph));
    return rects;
}

bool AfxPreviewPages::PagePointAt(const QPoint& pos, unsigned& nPage, QPointF& fraction) const
{
    const QList<QRect> rects = PageRects();
    for (int i = 0; i < rects.size(); ++i) {
        if (!rects[i].contains(pos))
            continue;
        nPage = m_nCurrent + static_cast<unsigned>(i);
        fraction = QPointF((pos.x() - rects[i].left() + 0.5) / rects[i].width(),
                           (pos.y() - rects[i].top() + 0.5) / rects[i].height());
        return true;
    }
    return false;
}

void AfxPreviewPages::SetZoom(int nZoom, const QPointF* pageFraction)
{
    nZoom = std::clamp(nZoom, static_cast<int>(kZoomOut), static_cast<int>(kZoomIn));
    // Without a point, the one in the middle of the window stays there (the
    // page's middle when it is not on the page).
    QPointF middle(0.5, 0.5);
    unsigned nPage = 0;
    QPointF at;
    if (pageFraction != nullptr)
        middle = *pageFraction;
    else if (m_nZoom != kZoomOut && PagePointAt(viewport()->rect().center(), nPage, at))
        middle = at;
    m_nZoom = nZoom;
    UpdateScrollBars();
    if (m_nZoom != kZoomOut)
        CenterOn(middle);
    UpdateCursor(viewport()->mapFromGlobal(QCursor::pos()));
    viewport()->update();
}

void AfxPreviewPages::CenterOn(const QPointF& pageFraction)
{
    const double scale = Scale();
    const double x = kGap + pageFraction.x() * m_paper.width() * scale;
    const double y = kGap + pageFraction.y() * m_paper.height() * scale;
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(x - viewport()->width() / 2.0)));
    verticalScrollBar()->setValue(static_cast<int>(std::lround(y - viewport()->height() / 2.0)));
}

void AfxPreviewPages::UpdateScrollBars()
{
    if (m_bUpdating)
        return;
    m_bUpdating = true;
    // Twice: a scroll bar that comes or goes changes the room for the other.
    for (int pass = 0; pass < 2; ++pass) {
        if (m_nZoom == kZoomOut) {
            // Zoomed out the scroll bar turns the pages.
            setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            const unsigned last = m_nPageCount > m_nShown ? m_nPageCount - m_nShown + 1 : 1;
            verticalScrollBar()->setRange(1, static_cast<int>(std::max(last, m_nCurrent)));
            verticalScrollBar()->setPageStep(static_cast<int>(m_nShown));
            verticalScrollBar()->setSingleStep(1);
            verticalScrollBar()->setValue(static_cast<int>(m_nCurrent));
        } else {
            setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            const QSize content = ContentSize();
            const QSize room = viewport()->size();
            horizontalScrollBar()->setRange(0, std::max(0, content.width() - room.width()));
            horizontalScrollBar()->setPageStep(room.width());
            horizontalScrollBar()->setSingleStep(20);
            verticalScrollBar()->setRange(0, std::max(0, content.height() - room.height()));
            verticalScrollBar()->setPageStep(room.height());
            verticalScrollBar()->setSingleStep(20);
        }
    }
    m_bUpdating = false;
}

void AfxPreviewPages::scrollContentsBy(int, int)
{
    if (!m_bUpdating && m_nZoom == kZoomOut) {
        const unsigned nPage = static_cast<unsigned>(std::max(1, verticalScrollBar()->value()));
        if (nPage != m_nCurrent && nPage <= m_nPageCount) {
            m_nCurrent = nPage;
            emit currentPageChanged(m_nCurrent);
        }
    }
    viewport()->update();
}

void AfxPreviewPages::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
}

void AfxPreviewPages::wheelEvent(QWheelEvent* e)
{
    if (m_nZoom != kZoomOut) {
        QAbstractScrollArea::wheelEvent(e);
        return;
    }
    const int delta = e->angleDelta().y();
    if (delta == 0)
        return;
    const unsigned last = m_nPageCount > m_nShown ? m_nPageCount - m_nShown + 1 : 1;
    const unsigned nPage = delta < 0 ? std::min(m_nCurrent + 1, last)
                                     : (m_nCurrent > 1 ? m_nCurrent - 1 : 1);
    if (nPage != m_nCurrent) {
        SetCurrentPage(nPage);
        emit currentPageChanged(m_nCurrent);
    }
    e->accept();
}

void AfxPreviewPages::UpdateCursor(const QPoint& pos)
{
    unsigned nPage = 0;
    QPointF at;
    if (m_nZoom != kZoomIn && PagePointAt(pos, nPage, at))
        viewport()->setCursor(m_magnifier);
    else
        viewport()->unsetCursor();
}

void AfxPreviewPages::mouseMoveEvent(QMouseEvent* e)
{
    UpdateCursor(e->position().toPoint());
    QAbstractScrollArea::mouseMoveEvent(e);
}

void AfxPreviewPages::mousePressEvent(QMouseEvent* e)
{
    unsigned nPage = 0;
    QPointF at;
    if (e->button() == Qt::LeftButton && PagePointAt(e->position().toPoint(), nPage, at)) {
        emit pageClicked(nPage, at);
        e->accept();
        return;
    }
    QAbstractScrollArea::mousePressEvent(e);
}

void AfxPreviewPages::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Mid));
    const double scale = Scale();
    const QList<QRect> rects = PageRects();
    for (int i = 0; i < rects.size(); ++i) {
        const QRect& rect = rects[i];
        painter.fillRect(rect.translated(kShadow, kShadow), palette().color(QPalette::Shadow));
        painter.fillRect(rect, Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        if (!m_draw)
            continue;
        painter.save();
        painter.setClipRect(rect.adjusted(1, 1, -1, -1));
        painter.translate(rect.topLeft());
        painter.scale(scale, scale);
        painter.translate(m_printable.topLeft());
        painter.setClipRect(QRectF(QPointF(0, 0), m_printable.size()), Qt::IntersectClip);
        m_draw(painter, m_nCurrent + static_cast<unsigned>(i));
        painter.restore();
    }
}
