// The icons the shell shows for the program and its documents.
#include "shellreg.h"

#include <QColor>
#include <QImage>
#include <QPainter>

// Drawn stand-ins, until the resources' own icon images are read here: the
// red-covered notepad of the program, the ruled white sheet of a document.
QImage AfxShellIconImage(UINT nID, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const qreal u = size / 16.0;
    p.scale(u, u);
    p.setPen(QPen(Qt::black, 1.0 / u));
    if (nID == IDR_MAINFRAME) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1.5, 10, 13));
        p.setBrush(QColor(200, 0, 0));
        p.drawRect(QRectF(1.5, 1.5, 5, 13));
        p.setPen(QPen(Qt::darkGray, 1.0 / u));
        for (int y = 3; y < 14; y += 2)
            p.drawLine(QPointF(3.5, y), QPointF(5.5, y));
    } else {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 0.5, 11, 14.5));
        p.setPen(QPen(QColor(200, 0, 0), 1.5 / u));
        p.drawLine(QPointF(4, 3), QPointF(12, 3));
        p.setPen(QPen(QColor(0, 140, 0), 1.0 / u));
        for (int y = 6; y < 14; y += 2)
            p.drawLine(QPointF(4, y), QPointF(12, y));
    }
    return image;
}
