// The resources the viewer carries, checked row by row against the tables
// they were written from: strings, the menu tree, accelerators, the tool bar,
// images, dialog templates and the version record; and the readers' handling
// of damaged data.
#include "dialog.h"
#include "expected_resources.h"
#include "dib.h"
#include "resources.h"
#include "resscript.h"

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

using expected::kFixedStrings;
using expected::kOwnWordingStrings;
using expected::StringRow;

TEST(ResourceStrings, EveryFixedRowExactly)
{
    for (const StringRow& row : kFixedStrings) {
        std::string text;
        EXPECT_TRUE(AfxLoadString(row.nID, text)) << std::hex << row.nID;
        EXPECT_EQ(text, row.text) << "string 0x" << std::hex << row.nID;
    }
}

TEST(ResourceStrings, AllRowsAreThereAndTheRestAreJapanese)
{
    const AfxResourceScript& rs = AfxGetResourceScript();
    EXPECT_TRUE(rs.errors.empty()) << rs.errors.front();
    EXPECT_EQ(rs.strings.size(), 145u);
    EXPECT_EQ(std::size(kFixedStrings) + std::size(kOwnWordingStrings), 145u);
    for (UINT nID : kOwnWordingStrings) {
        std::string text = AfxLoadString(nID);
        bool japanese = false;
        for (unsigned char c : text)
            japanese = japanese || c >= 0x80;
        EXPECT_TRUE(japanese) << "string 0x" << std::hex << nID << " '" << text << "'";
        // Half-width katakana only where a full-width form would be
        // expected in these texts: no full-width katakana.
        const QString q = QString::fromStdString(text);
        for (QChar ch : q)
            EXPECT_FALSE(ch.unicode() >= 0x30A1 && ch.unicode() <= 0x30FA)
                << "full-width katakana in 0x" << std::hex << nID;
    }
    std::set<UINT> listed;
    for (const StringRow& row : kFixedStrings)
        listed.insert(row.nID);
    for (UINT nID : kOwnWordingStrings)
        listed.insert(nID);
    EXPECT_EQ(listed.size(), 145u) << "a row listed twice";
}

TEST(ResourceMenu, TheWholeTreeItemByItem)
{
    const auto& rows = expected::kMenu;
    using Row = expected::MenuRow;
    std::vector<Row> actual;
    const std::vector<AfxMenuPopup>& menu = AfxLoadMenu(IDR_MAINFRAME);
    ASSERT_EQ(menu.size(), 4u);
    size_t n = 0;
    for (const AfxMenuPopup& popup : menu) {
        for (const AfxMenuItem& item : popup.items) {
            ASSERT_LT(n, std::size(rows)) << "more items than expected in " << popup.text;
            const Row& want = rows[n++];
            EXPECT_EQ(popup.text, want.popup) << "item " << n;
            if (want.text == nullptr) {
                EXPECT_EQ(item.nID, ID_SEPARATOR) << "item " << n << " is a separator";
                continue;
            }
            EXPECT_EQ(item.text, want.text) << "item " << n;
            EXPECT_EQ(item.nID, want.nID) << "item " << n << " " << want.text;
            EXPECT_EQ(item.bGrayed, want.bGrayed) << "item " << n << " " << want.text;
        }
    }
    EXPECT_EQ(n, std::size(rows));
}

TEST(ResourceAccelerators, MainAndPreviewTablesEntryByEntry)
{
    using Row = expected::AccelRow;
    const auto& rows = expected::kAccelerators;
    std::map<UINT, size_t> next;
    for (const Row& row : rows) {
        const std::vector<AfxAccel>& table = AfxLoadAccelerators(row.nTable);
        size_t i = next[row.nTable]++;
        ASSERT_LT(i, table.size()) << row.name;
        EXPECT_EQ(table[i].key, row.vk) << row.name;
        EXPECT_EQ(table[i].fVirt, row.fVirt) << row.name;
        EXPECT_EQ(table[i].cmd, row.cmd) << row.name;
        EXPECT_EQ(table[i].fVirt & FNOINVERT, row.nTable == AFX_IDR_PREVIEW_ACCEL ? FNOINVERT : 0)
            << row.name;
    }
    EXPECT_EQ(AfxLoadAccelerators(IDR_MAINFRAME).size(), next[IDR_MAINFRAME]);
    EXPECT_EQ(AfxLoadAccelerators(AFX_IDR_PREVIEW_ACCEL).size(), next[AFX_IDR_PREVIEW_ACCEL]);
    EXPECT_EQ(next[IDR_MAINFRAME], 14u);
}

TEST(ResourceToolBar, RecordAndImagesInButtonOrder)
{
    AfxToolBarData data;
    ASSERT_TRUE(AfxLoadToolBarData(IDR_MAINFRAME, data));
    EXPECT_EQ(data.wVersion, 1);
    EXPECT_EQ(data.wWidth, 16);
    EXPECT_EQ(data.wHeight, 15);
    EXPECT_EQ(data.items, std::vector<UINT>(std::begin(expected::kToolBar),
                                            std::end(expected::kToolBar)));
    EXPECT_FALSE(AfxLoadToolBarData(0x1234, data));

    QImage image = AfxLoadBitmapImage(IDR_MAINFRAME);
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.size(), QSize(128, 15));
    // One image per button, each its own picture on the button face.
    std::set<QByteArray> pictures;
    for (int b = 0; b < 8; ++b) {
        QImage one = image.copy(b * 16, 0, 16, 15).convertToFormat(QImage::Format_RGB32);
        int drawn = 0;
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 16; ++x)
                drawn += one.pixel(x, y) != qRgb(192, 192, 192);
        EXPECT_GT(drawn, 30) << "button image " << b + 1 << " is nearly empty";
        pictures.insert(QByteArray(reinterpret_cast<const char*>(one.constBits()),
                                   static_cast<int>(one.sizeInBytes())));
    }
    EXPECT_EQ(pictures.size(), 8u);
    EXPECT_EQ(image.pixel(0, 0), qRgb(192, 192, 192)) << "the button face";
    EXPECT_EQ(image.pixel(127, 14), qRgb(192, 192, 192)) << "the button face";
}

TEST(ResourceBitmaps, SizesAndDepths)
{
    struct Row {
        UINT nID;
        int width, height;
    };
    const Row rows[] = {
        {128, 128, 15}, {30994, 12, 10}, {30995, 39, 13}, {30996, 33, 11}, {26567, 70, 39},
    };
    for (const Row& row : rows) {
        const std::string* file = nullptr;
        auto it = AfxGetResourceScript().bitmapFiles.find(row.nID);
        ASSERT_NE(it, AfxGetResourceScript().bitmapFiles.end()) << row.nID;
        file = &it->second;
        AfxDibInfo info;
        QImage stored = AfxDecodeBmpFile(AfxReadResourceFile(*file), &info);
        ASSERT_FALSE(stored.isNull()) << row.nID;
        EXPECT_EQ(info.nBitCount, 4) << row.nID;
        EXPECT_EQ(info.nColors, 16) << row.nID;
        EXPECT_EQ(info.compression, 0u) << row.nID;
        EXPECT_TRUE(info.bBottomUp) << row.nID;
        QImage image = AfxLoadBitmapImage(row.nID);
        EXPECT_EQ(image.size(), QSize(row.width, row.height)) << row.nID;
        EXPECT_EQ(image.format(), QImage::Format_Indexed8) << row.nID;
        EXPECT_EQ(image.colorCount(), 16) << row.nID;
    }
    EXPECT_TRUE(AfxLoadBitmapImage(0x1234).isNull());
}

TEST(ResourceBitmaps, SystemColoursReplaceTheGreys)
{
    QPalette palette;
    palette.setColor(QPalette::ButtonText, QColor(1, 2, 3));
    palette.setColor(QPalette::Dark, QColor(4, 5, 6));
    palette.setColor(QPalette::Button, QColor(7, 8, 9));
    palette.setColor(QPalette::Light, QColor(10, 11, 12));
    const QPalette saved = QGuiApplication::palette();
    QGuiApplication::setPalette(palette);
    const QImage stored = AfxLoadBitmapImage(26567);
    const QImage mapped = AfxLoadSysColorBitmap(26567);
    QGuiApplication::setPalette(saved);
    ASSERT_EQ(stored.size(), mapped.size());
    struct Row {
        QRgb from, to;
    };
    const Row rows[] = {
        {qRgb(0, 0, 0), qRgb(1, 2, 3)},
        {qRgb(128, 128, 128), qRgb(4, 5, 6)},
        {qRgb(192, 192, 192), qRgb(7, 8, 9)},
        {qRgb(255, 255, 255), qRgb(10, 11, 12)},
        {qRgb(255, 0, 0), qRgb(255, 0, 0)},  // not a grey: kept
    };
    for (int y = 0; y < stored.height(); ++y) {
        for (int x = 0; x < stored.width(); ++x) {
            for (const Row& r : rows) {
                if (stored.pixel(x, y) == r.from) {
                    ASSERT_EQ(mapped.pixel(x, y), r.to) << x << "," << y;
                }
            }
        }
    }
}

// How many pixels of a colour an image has.
int CountColour(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == (colour | 0xFF000000u);
    return n;
}

TEST(ResourceIcons, TwoSizesOfSixteenColours)
{
    for (UINT nID : {IDR_MAINFRAME, IDR_TEXTTYPE}) {
        std::vector<AfxGroupImage> images = AfxLoadIconImages(nID);
        ASSERT_EQ(images.size(), 2u) << nID;
        EXPECT_EQ(images[0].image.size(), QSize(32, 32)) << nID;
        EXPECT_EQ(images[1].image.size(), QSize(16, 16)) << nID;
        for (const AfxGroupImage& i : images) {
            EXPECT_EQ(i.nBitCount, 4) << nID;
            EXPECT_EQ(i.image.pixel(0, 0), 0u) << nID << ": the corner shows the desktop";
        }
        QIcon icon = AfxLoadIconGroup(nID);
        EXPECT_FALSE(icon.isNull());
        EXPECT_EQ(icon.availableSizes().size(), 2);
    }
    // The notepad's red cover, the sheet's red letters and green lines.
    for (const AfxGroupImage& i : AfxLoadIconImages(IDR_MAINFRAME))
        EXPECT_GT(CountColour(i.image, qRgb(255, 0, 0)), i.image.width());
    for (const AfxGroupImage& i : AfxLoadIconImages(IDR_TEXTTYPE)) {
        EXPECT_GT(CountColour(i.image, qRgb(255, 0, 0)), 4);
        EXPECT_GT(CountColour(i.image, qRgb(0, 128, 0)), i.image.width());
    }
    EXPECT_TRUE(AfxLoadIconGroup(0x1234).isNull());
}

TEST(ResourceCursors, MonochromeWithTheirHotSpots)
{
    struct Row {
        UINT nID;
        int size;
        int x, y;
    };
    const Row rows[] = {
        {30977, 32, 2, 2}, {30977, 16, 1, 1}, {30978, 32, 9, 8}, {30978, 16, 7, 7},
    };
    for (const Row& row : rows) {
        bool found = false;
        for (const AfxGroupImage& i : AfxLoadCursorImages(row.nID)) {
            if (i.image.width() != row.size)
                continue;
            found = true;
            EXPECT_EQ(i.image.height(), row.size);
            EXPECT_EQ(i.nBitCount, 1) << row.nID;
            EXPECT_EQ(i.xHotSpot, row.x) << row.nID << " at " << row.size;
            EXPECT_EQ(i.yHotSpot, row.y) << row.nID << " at " << row.size;
        }
        EXPECT_TRUE(found) << row.nID << " has no " << row.size << " pixel image";
    }
    QCursor magnifier = AfxLoadCursorResource(30978);
    EXPECT_EQ(magnifier.shape(), Qt::BitmapCursor);
    EXPECT_EQ(magnifier.hotSpot(), QPoint(9, 8));
    EXPECT_EQ(AfxLoadCursorResource(0x1234).shape(), Qt::ArrowCursor);
}

TEST(ResourceDialogs, TemplatesInDialogUnits)
{
    struct Control {
        UINT nTemplate;
        const char* className;
        int id;
        short x, y, cx, cy;
        const char* text;
    };
    const Control controls[] = {
        {100, "Static", -1, 11, 17, 20, 20, nullptr},
        {100, "Static", -1, 40, 10, 132, 8, "JIS, EUC, Shift-JIS ﾌｧｲﾙ表示 Version 1.0"},
        {100, "Static", -1, 40, 25, 119, 8, "Copyright (C) 2026 ruvok"},
        {100, "Button", IDOK, 178, 7, 50, 14, "OK"},
        {30721, "Static", -1, 6, 5, 123, 8, "新規(&N) "},
        {30721, "ListBox", 100, 6, 15, 125, 49, ""},
        {30721, "Button", IDOK, 137, 6, 40, 14, "OK"},
        {30721, "Button", IDCANCEL, 137, 23, 40, 14, "ｷｬﾝｾﾙ"},
        {30721, "Button", 0xE146, 137, 43, 40, 14, "ﾍﾙﾌﾟ(&H)"},
        {30722, "Static", -1, 0, 9, 133, 8, "印刷中"},
        {30722, "Static", 201, 0, 19, 133, 8, ""},
        {30722, "Static", -1, 0, 29, 133, 8, "を"},
        {30722, "Static", 202, 0, 39, 133, 8, ""},
        {30722, "Static", 203, 0, 49, 133, 8, ""},
        {30722, "Static", 204, 0, 59, 133, 8, ""},
        {30722, "Button", IDCANCEL, 46, 74, 40, 14, "ｷｬﾝｾﾙ"},
        {30723, "Button", 0xE304, 2, 2, 44, 12, "印刷(&P)..."},
        {30723, "Button", 0xE302, 48, 2, 44, 12, "次ﾍﾟｰｼﾞ(&N)"},
        {30723, "Button", 0xE303, 94, 2, 44, 12, "前ﾍﾟｰｼﾞ(&V)"},
        {30723, "Button", 0xE301, 140, 2, 44, 12, ""},
        {30723, "Button", 0xE305, 186, 2, 44, 12, "拡大(&I)"},
        {30723, "Button", 0xE306, 232, 2, 44, 12, "縮小(&O)"},
        {30723, "Button", 0xE300, 278, 2, 44, 12, "閉じる(&C)"},
    };
    struct Dialog {
        UINT nID;
        short x, y, cx, cy;
        DWORD style;
        const char* caption;
        WORD pt;
        const char* face;
    };
    const DWORD kFrameworkLook = DS_3DLOOK | DS_SETFONT;
    const Dialog dialogs[] = {
        {100, 0, 0, 235, 55, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
         "RUVOKのﾊﾞｰｼﾞｮﾝ情報", 9, "ＭＳ Ｐゴシック"},
        {30721, 9, 26, 183, 70, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | kFrameworkLook,
         "新規", 8, "MS Shell Dlg"},
        {30722, 6, 18, 133, 95, WS_POPUP | WS_CAPTION | DS_MODALFRAME | kFrameworkLook, "", 8,
         "MS Shell Dlg"},
        {30723, 0, 0, 330, 16, WS_CHILD | kFrameworkLook, "", 8, "MS Shell Dlg"},
    };
    for (const Dialog& d : dialogs) {
        AfxDialogTemplate t;
        ASSERT_TRUE(AfxLoadDialogTemplate(d.nID, t)) << d.nID;
        EXPECT_EQ(t.x, d.x) << d.nID;
        EXPECT_EQ(t.y, d.y) << d.nID;
        EXPECT_EQ(t.cx, d.cx) << d.nID;
        EXPECT_EQ(t.cy, d.cy) << d.nID;
        EXPECT_EQ(t.style, d.style) << d.nID;
        EXPECT_EQ(t.dwExtendedStyle, 0u) << d.nID;
        EXPECT_EQ(t.caption, d.caption) << d.nID;
        EXPECT_EQ(t.wPointSize, d.pt) << d.nID;
        EXPECT_EQ(t.faceName, d.face) << d.nID;
        size_t n = 0;
        for (const Control& c : controls) {
            if (c.nTemplate != d.nID)
                continue;
            ASSERT_LT(n, t.items.size()) << d.nID;
            const AfxDlgItemTemplate& item = t.items[n++];
            const std::string where = std::to_string(d.nID) + " control " + std::to_string(n);
            EXPECT_EQ(item.className, c.className) << where;
            EXPECT_EQ(item.id, c.id) << where;
            EXPECT_EQ(item.x, c.x) << where;
            EXPECT_EQ(item.y, c.y) << where;
            EXPECT_EQ(item.cx, c.cx) << where;
            EXPECT_EQ(item.cy, c.cy) << where;
            EXPECT_EQ(item.dwExtendedStyle, 0u) << where;
            EXPECT_NE(item.style & WS_VISIBLE, 0u) << where;
            if (c.text == nullptr)
                EXPECT_EQ(item.nTextResource, static_cast<int>(IDR_MAINFRAME)) << where;
            else
                EXPECT_EQ(item.text, c.text) << where;
        }
        EXPECT_EQ(n, t.items.size()) << d.nID;
    }
    // The About box's control styles.
    AfxDialogTemplate about;
    ASSERT_TRUE(AfxLoadDialogTemplate(IDD_ABOUTBOX, about));
    EXPECT_EQ(about.items[0].style & SS_TYPEMASK, SS_ICON);
    EXPECT_EQ(about.items[1].style, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | WS_GROUP);
    EXPECT_EQ(about.items[2].style, WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP);
    EXPECT_EQ(about.items[3].style, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP);
    AfxDialogTemplate none;
    EXPECT_FALSE(AfxLoadDialogTemplate(0x1234, none));
}

TEST(ResourceDialogs, DialogUnitsToPixels)
{
    struct Row {
        int cxUnit, cyUnit;
        int x, y, cx, cy;
        RECT want;
    };
    const Row rows[] = {
        // x * cx / 4 and y * cy / 8, each rounded; sizes on their own.
        {6, 12, 235, 55, 0, 0, {353, 83, 353, 83}},
        {6, 12, 178, 7, 50, 14, {267, 11, 342, 32}},
        {7, 13, 11, 17, 20, 20, {19, 28, 54, 61}},
        {5, 13, 1, 1, 1, 1, {1, 2, 2, 4}},
    };
    for (const Row& r : rows) {
        AfxDialogBaseUnits units;
        units.cx = r.cxUnit;
        units.cy = r.cyUnit;
        RECT got = AfxMapDialogRect(units, r.x, r.y, r.cx, r.cy);
        EXPECT_EQ(got.left, r.want.left) << r.x;
        EXPECT_EQ(got.top, r.want.top) << r.y;
        EXPECT_EQ(got.right, r.want.right) << r.x << "+" << r.cx;
        EXPECT_EQ(got.bottom, r.want.bottom) << r.y << "+" << r.cy;
    }
}

TEST(ResourceDialogs, FontsMatchedToTheirKind)
{
    struct Row {
        const char* face;
        WORD pt;
        const char* family;
        int pixels;
    };
    const Row rows[] = {
        {"ＭＳ Ｐゴシック", 9, "IPAPGothic", 12},
        {"MS Shell Dlg", 8, "IPAPGothic", 11},
        {"ＭＳ ゴシック", 10, "IPAGothic", 13},
        {"MS UI Gothic", 9, "IPAPGothic", 12},
    };
    for (const Row& r : rows) {
        QFont font = AfxCreateDialogFont(r.face, r.pt);
        EXPECT_EQ(QFontInfo(font).family(), QLatin1String(r.family)) << r.face;
        EXPECT_EQ(font.pixelSize(), r.pixels) << r.face;
        AfxDialogBaseUnits units = AfxGetDialogBaseUnits(font);
        // Plausible units for a Japanese font of that size.
        EXPECT_GE(units.cx, r.pixels / 3) << r.face;
        EXPECT_LE(units.cx, r.pixels * 2 / 3) << r.face;
        EXPECT_GE(units.cy, r.pixels) << r.face;
        EXPECT_LE(units.cy, r.pixels * 3 / 2) << r.face;
    }
}

TEST(ResourceVersion, TheRecordAsData)
{
    AfxVersionInfo info;
    ASSERT_TRUE(AfxLoadVersionInfo(1, info));
    EXPECT_EQ(info.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(info.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(info.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(info.dwFileFlags, 0u);
    EXPECT_EQ(info.dwFileOS, 0x4u);
    EXPECT_EQ(info.dwFileType, 1u);
    EXPECT_EQ(info.dwFileSubtype, 0u);
    EXPECT_EQ(info.dwFileDateMS, 0u);
    EXPECT_EQ(info.dwFileDateLS, 0u);
    EXPECT_EQ(info.block, "041104b0");
    EXPECT_EQ(info.wLanguage, 0x0411);
    EXPECT_EQ(info.wCodePage, 1200);
    const std::vector<std::pair<std::string, std::string>> strings = {
        {"Comments", ""},
        {"CompanyName", ""},
        {"FileDescription", "ruvok MFC ｱﾌﾟﾘｹｰｼｮﾝ"},
        {"FileVersion", "1, 0, 0, 1"},
        {"InternalName", "ruvok"},
        {"LegalCopyright", "Copyright (C) 2026 ruvok"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "ruvok.EXE"},
        {"PrivateBuild", ""},
        {"ProductName", "ruvok ｱﾌﾟﾘｹｰｼｮﾝ"},
        {"ProductVersion", "1, 0, 0, 1"},
        {"SpecialBuild", ""},
    };
    EXPECT_EQ(info.strings, strings);
    EXPECT_FALSE(AfxLoadVersionInfo(2, info));
}

// ---------------------------------------------------------------------------
// Damaged data: the readers refuse it without reading past it.

TEST(ResourceReaders, DamagedImageFilesAreRefused)
{
    struct Row {
        const char* file;
        int nType;  // 0: .bmp, 1: .ico, 2: .cur
    };
    const Row rows[] = {
        {"images/toolbar.bmp", 0},
        {"images/ruvok.ico", 1},
        {"images/magnify.cur", 2},
    };
    for (const Row& row : rows) {
        const std::string whole = AfxReadResourceFile(row.file);
        ASSERT_FALSE(whole.empty()) << row.file;
        auto decodes = [&](const std::string& bytes) {
            return row.nType == 0 ? !AfxDecodeBmpFile(bytes).isNull()
                                  : !AfxDecodeIconFile(bytes, row.nType).empty();
        };
        EXPECT_TRUE(decodes(whole)) << row.file;
        // Every cut short of the whole file: no crash, and a .bmp missing
        // bytes is refused (sanitizer builds catch any read past the end).
        for (size_t n = 0; n < whole.size(); ++n) {
            std::string cut = whole.substr(0, n);
            bool ok = decodes(cut);
            if (row.nType == 0) {
                EXPECT_FALSE(ok) << row.file << " cut to " << n;
            }
        }
        // Header fields made huge or negative.
        for (size_t at : {2u, 6u, 10u, 14u, 18u, 22u, 26u, 28u, 46u}) {
            if (at + 4 > whole.size())
                continue;
            for (const char* bad : {"\xFF\xFF\xFF\x7F", "\x00\x00\x00\x80", "\xFF\xFF\xFF\xFF"}) {
                std::string damaged = whole;
                damaged.replace(at, 4, bad, 4);
                decodes(damaged);
            }
        }
    }
    EXPECT_TRUE(AfxDecodeIconFile(AfxReadResourceFile("images/ruvok.ico"), 2).empty())
        << "an icon file is not a cursor file";
}

TEST(ResourceReaders, RandomlyDamagedImagesNeverReadPastTheirBytes)
{
    // Random bytes changed in the real files' headers and bodies: whatever
    // the readers make of them, the images they return are whole. (Built
    // with sanitizers, any read past the end fails here.)
    std::mt19937 random(20261208);
    for (const char* file : {"images/toolbar.bmp", "images/controls3d.bmp", "images/ruvok.ico",
                             "images/document.ico", "images/pointer.cur", "images/magnify.cur"}) {
        const std::string whole = AfxReadResourceFile(file);
        ASSERT_FALSE(whole.empty()) << file;
        const bool bmp = whole[0] == 'B';
        for (int round = 0; round < 2000; ++round) {
            std::string damaged = whole;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < changes; ++i) {
                // Mostly in the headers, where sizes and offsets live.
                size_t at = random() % 2 ? random() % std::min<size_t>(80, damaged.size())
                                         : random() % damaged.size();
                damaged[at] = static_cast<char>(random());
            }
            if (random() % 4 == 0)
                damaged.resize(random() % damaged.size());
            if (bmp) {
                QImage image = AfxDecodeBmpFile(damaged);
                if (!image.isNull()) {
                    EXPECT_LE(image.width() * image.height(), 4096 * 4096) << file;
                }
            } else {
                for (int type : {1, 2}) {
                    for (const AfxIconDirImage& i : AfxDecodeIconFile(damaged, type))
                        EXPECT_FALSE(i.image.isNull()) << file;
                }
            }
        }
    }
}

TEST(ResourceReaders, ScriptErrorsAreListedNotFatal)
{
    struct Row {
        const char* script;
        size_t nErrors;
        const char* why;
    };
    const Row rows[] = {
        {"STRINGTABLE\n0x10 \"ok\"\nEND\n", 0, "a good table"},
        {"STRINGTABLE\n0x10 \"unterminated\nEND\n", 1, "unterminated text"},
        {"STRINGTABLE\n0x10\nEND\n", 1, "no text"},
        {"MENU 1\nMENUITEM 5 \"outside\"\nEND\n", 1, "item outside a pop-up"},
        {"DIALOG 5, 0, 0, 10\nEND\n", 1, "a dialog without its height"},
        {"DIALOG 5, 0, 0, 10, 10\nCONTROL \"x\", 1, \"Button\", WS_BOGUS, 1, 1, 1, 1\nEND\n", 1,
         "an unknown style name"},
        {"DIALOG 5, 0, 0, 10, 10\nCONTROL \"x\", 1\nEND\n", 1, "a control cut short"},
        {"TOOLBAR 7 16 15\nBUTTON 0xE100\n", 1, "a section never ended"},
        {"| WS_CHILD\n", 1, "a bar with nothing before it"},
        {"BITMAP 9\nEND\n", 2, "a bitmap without its file, and an END with no section"},
        {"WIDGET 9\nWS_CHILD\nEND\n", 1, "an unknown section, skipped to its END"},
    };
    for (const Row& row : rows) {
        AfxResourceScript rs = AfxParseResourceScript(row.script);
        EXPECT_EQ(rs.errors.size(), row.nErrors) << row.why;
    }
}

}  // namespace
