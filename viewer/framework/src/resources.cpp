// The loaders of tool bars, images, dialog templates and versions (see resources.h).
#include "resources.h"

#include "dib.h"
#include "resscript.h"

#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>

namespace {

constexpr int kIconFileType = 1;
constexpr int kCursorFileType = 2;

template <class Map>
const std::string* FindFile(const Map& files, UINT nID)
{
    auto it = files.find(nID);
    return it == files.end() ? nullptr : &it->second;
}

std::vector<AfxGroupImage> LoadGroup(UINT nID, int nType)
{
    const AfxResourceScript& rs = AfxGetResourceScript();
    const std::string* file =
        FindFile(nType == kIconFileType ? rs.iconFiles : rs.cursorFiles, nID);
    std::vector<AfxGroupImage> out;
    if (file == nullptr)
        return out;
    for (const AfxIconDirImage& i : AfxDecodeIconFile(AfxReadResourceFile(*file), nType))
        out.push_back({i.image, i.info.nBitCount, i.xHotSpot, i.yHotSpot});
    return out;
}

}  // namespace

BOOL AfxLoadToolBarData(UINT nID, AfxToolBarData& data)
{
    const AfxResourceScript& rs = AfxGetResourceScript();
    auto items = rs.toolBarItems.find(nID);
    auto sizes = rs.toolBarSizes.find(nID);
    if (items == rs.toolBarItems.end() || sizes == rs.toolBarSizes.end())
        return FALSE;
    data.wVersion = 1;
    data.wWidth = sizes->second.first;
    data.wHeight = sizes->second.second;
    data.items = items->second;
    return TRUE;
}

QImage AfxLoadBitmapImage(UINT nID)
{
    const std::string* file = FindFile(AfxGetResourceScript().bitmapFiles, nID);
    if (file == nullptr)
        return QImage();
    return AfxDecodeBmpFile(AfxReadResourceFile(*file));
}

QImage AfxLoadSysColorBitmap(UINT nID)
{
    QImage image = AfxLoadBitmapImage(nID);
    if (image.format() != QImage::Format_Indexed8)
        return image;
    const QPalette palette = QGuiApplication::palette();
    const struct {
        QRgb from;
        QPalette::ColorRole to;
    } kMap[] = {
        {qRgb(0, 0, 0), QPalette::ButtonText},
        {qRgb(128, 128, 128), QPalette::Dark},
        {qRgb(192, 192, 192), QPalette::Button},
        {qRgb(255, 255, 255), QPalette::Light},
    };
    QVector<QRgb> table = image.colorTable();
    for (QRgb& c : table) {
        for (const auto& m : kMap) {
            if (c == m.from) {
                c = palette.color(QPalette::Active, m.to).rgb();
                break;
            }
        }
    }
    image.setColorTable(table);
    return image;
}

std::vector<AfxGroupImage> AfxLoadIconImages(UINT nID)
{
    return LoadGroup(nID, kIconFileType);
}

std::vector<AfxGroupImage> AfxLoadCursorImages(UINT nID)
{
    return LoadGroup(nID, kCursorFileType);
}

QIcon AfxLoadIconGroup(UINT nID)
{
    QIcon icon;
    for (const AfxGroupImage& i : AfxLoadIconImages(nID))
        icon.addPixmap(QPixmap::fromImage(i.image));
    return icon;
}

QCursor AfxLoadCursorResource(UINT nID)
{
    // The largest image up to the usual pointer size of 32.
    const AfxGroupImage* best = nullptr;
    std::vector<AfxGroupImage> images = AfxLoadCursorImages(nID);
    for (const AfxGroupImage& i : images) {
        if (i.image.width() <= 32 && (best == nullptr || i.image.width() > best->image.width()))
            best = &i;
    }
    if (best == nullptr)
        return QCursor(Qt::ArrowCursor);
    return QCursor(QPixmap::fromImage(best->image), best->xHotSpot, best->yHotSpot);
}

BOOL AfxLoadDialogTemplate(UINT nID, AfxDialogTemplate& tmpl)
{
    const AfxResourceScript& rs = AfxGetResourceScript();
    auto it = rs.dialogs.find(nID);
    if (it == rs.dialogs.end())
        return FALSE;
    tmpl = rs.dialogTemplates[it->second];
    return TRUE;
}

BOOL AfxLoadVersionInfo(UINT nID, AfxVersionInfo& info)
{
    const AfxResourceScript& rs = AfxGetResourceScript();
    auto it = rs.versions.find(nID);
    if (it == rs.versions.end())
        return FALSE;
    info = rs.versionInfos[it->second];
    return TRUE;
}
