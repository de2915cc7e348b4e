// Stand-ins for the resource images until the real ones are in: plain shapes
// of the right sizes.
#include "resources.h"

#include <QPainter>
#include <QPixmap>

BOOL AfxLoadToolBarData(UINT nID, AfxToolBarData& data)
{
    if (nID != IDR_MAINFRAME)
        return FALSE;
    data.wVersion = 1;
    data.wWidth = 16;
    data.wHeight = 15;
    data.items = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR, ID_EDIT_CUT,
                  ID_EDIT_COPY, ID_EDIT_PASTE, ID_SEPARATOR, ID_FILE_PRINT, ID_SEPARATOR,
                  ID_APP_ABOUT};
    return TRUE;
}

QImage AfxLoadBitmapImage(UINT nID)
{
    if (nID == IDR_MAINFRAME) {
        QImage image(128, 15, QImage::Format_RGB32);
        image.fill(QColor(192, 192, 192));
        QPainter p(&image);
        const QColor colours[] = {Qt::white, Qt::yellow, Qt::darkBlue, Qt::darkGray,
                                  Qt::white, Qt::darkYellow, Qt::darkGray, Qt::darkRed};
        for (int i = 0; i < 8; ++i) {
            p.setPen(Qt::black);
            p.setBrush(colours[i]);
            p.drawRect(i * 16 + 2 + (i % 3), 1 + (i % 2), 10, 11);
        }
        return image;
    }
    if (nID == 30994) {
        QImage image(12, 10, QImage::Format_RGB32);
        image.fill(QColor(192, 192, 192));
        QPainter p(&image);
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(2, 1, 9, 8);
        p.drawLine(9, 1, 2, 8);
        return image;
    }
    return QImage();
}

QIcon AfxLoadIconGroup(UINT nID)
{
    if (nID != IDR_MAINFRAME && nID != IDR_TEXTTYPE)
        return QIcon();
    QIcon icon;
    for (int size : {32, 16}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setPen(Qt::black);
        p.setBrush(nID == IDR_MAINFRAME ? QColor(Qt::red) : QColor(Qt::white));
        p.drawRect(2, 1, size - 5, size - 3);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QCursor AfxLoadCursorResource(UINT)
{
    return QCursor(Qt::ArrowCursor);
}
