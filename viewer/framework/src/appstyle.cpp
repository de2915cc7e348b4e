// The application's widget style (see appstyle.h).
//
// Qt's styles give the menu bar's and the tool bar's extension buttons
// icons from PNG files in Qt's own resources, added by file name: an icon
// added that way asks every image format plugin whether the file is theirs,
// which loads them all (and the libraries they need) while the main window
// is being made. Read as PNG, the same images need none of them.
#include "appstyle.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QProxyStyle>
#include <QString>
#include <QStyleOptionMenuItem>
#include <QWidget>

namespace {

class AppStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        // A lone Alt takes the keyboard to the menu bar, as on Windows.
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        // The menu bar's item the keyboard is on (after Alt or F10) is drawn
        // highlighted, as an open one is; the platform style shows it no
        // differently from the rest.
        if (element == CE_MenuBarItem && widget != nullptr && widget->hasFocus()
            && (option->state & State_Selected) != 0 && (option->state & State_Sunken) == 0) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem highlighted(*item);
                highlighted.state |= State_Sunken;
                QProxyStyle::drawControl(element, &highlighted, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    QIcon standardIcon(StandardPixmap sp, const QStyleOption* option,
                       const QWidget* widget) const override
    {
        static constexpr int kHorizontal[] = {8, 16, 32};
        static constexpr int kVertical[] = {5, 10, 20};
        QString name;
        const int* sizes = kHorizontal;
        switch (sp) {
        case SP_ToolBarHorizontalExtensionButton: {
            const bool rtl = (widget != nullptr ? widget->layoutDirection()
                                                : QGuiApplication::layoutDirection()) ==
                             Qt::RightToLeft;
            name = rtl ? QStringLiteral("toolbar-ext-h-rtl-") : QStringLiteral("toolbar-ext-h-");
            break;
        }
        case SP_ToolBarVerticalExtensionButton:
            name = QStringLiteral("toolbar-ext-v-");
            sizes = kVertical;
            break;
        default:
            return QProxyStyle::standardIcon(sp, option, widget);
        }
        QIcon icon;
        for (const int* size = sizes; size != sizes + 3; ++size) {
            const QString file = QStringLiteral(":/qt-project.org/styles/commonstyle/images/") +
                                 name + QString::number(*size) + QStringLiteral(".png");
            if (!QFile::exists(file))
                continue;
            QImageReader reader(file, "png");
            reader.setAutoDetectImageFormat(false);  // as PNG, asking no plugin
            const QImage image = reader.read();
            if (!image.isNull())
                icon.addPixmap(QPixmap::fromImage(image));
        }
        return icon.isNull() ? QProxyStyle::standardIcon(sp, option, widget) : icon;
    }
};

}  // namespace

void AfxInstallAppStyle()
{
    QApplication::setStyle(new AppStyle);
}
