// CF_TEXT from another program on a real X server: the bytes that program
// offered reach the paste whatever target it offered them under, UTF-8 text
// becomes code page 932, and the text put back is read by other programs as
// UTF-8. Runs on its own Xvfb, with xclip as the other program; skipped where
// either is missing.
#include "clipboard.h"
#include "hex.h"
#include "x11_offer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

using viewtest::Hex;
using x11test::Offer;
using x11test::RunToEnd;

QByteArray ReadCfText()
{
    QByteArray out = "<none>";
    EXPECT_TRUE(OpenClipboard(nullptr));
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        const auto* p = static_cast<const char*>(GlobalLock(h));
        out = QByteArray(p, static_cast<qsizetype>(strnlen(p, GlobalSize(h))));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}

// "日本語です" in each encoding.
const QByteArray kEuc("\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xC7\xA4\xB9");
const QByteArray kSjis("\x93\xFA\x96\x7B\x8C\xEA\x82\xC5\x82\xB7");

TEST(X11Clipboard, AnotherProgramsTextArrivesAsItsBytes)
{
    const struct {
        const char* target;
        QByteArray offered;
        QByteArray cfText;
        const char* why;
    } rows[] = {
        {"UTF8_STRING", kEuc, kEuc, "EUC-JP bytes said to be UTF-8 (xclip's default)"},
        {"STRING", kEuc, kEuc, "EUC-JP bytes as STRING, not read as Latin-1"},
        {"TEXT", kEuc + "\n", kEuc + "\n", "as TEXT"},
        {"text/plain", kEuc, kEuc, "as text/plain"},
        {"text/plain;charset=EUC-JP", kEuc, kEuc, "EUC-JP by name"},
        {"text/plain;charset=Shift_JIS", kSjis, kSjis, "Shift_JIS by name"},
        {"UTF8_STRING", QStringLiteral("日本語です").toUtf8(), kSjis, "UTF-8 becomes code page 932"},
        {"UTF8_STRING", QStringLiteral("10〜20").toUtf8(), "10\x81\x60" "20", "with a Linux form"},
        {"STRING", "plain ascii", "plain ascii", "ASCII as it is"},
    };
    for (const auto& row : rows) {
        Offer offer(QLatin1String(row.target), row.offered);
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT)) << row.why;
        EXPECT_EQ(Hex(ReadCfText()), Hex(row.cfText)) << row.why;
    }
}

TEST(X11Clipboard, ALargeTextComesInPiecesAndWhole)
{
    QByteArray big;
    for (int i = 0; i < 40000; ++i)
        big += kEuc + "\n";
    Offer offer(QStringLiteral("UTF8_STRING"), big);
    const QByteArray got = ReadCfText();
    EXPECT_EQ(got.size(), big.size());
    EXPECT_TRUE(got == big);
}

// Qt takes the selection at the time of the last event it saw, as the
// user's paste gives it in the viewer: a window property changed here
// brings one.
void SeeTheServerNow()
{
    static int n = 0;
    QWidget* window = QApplication::topLevelWidgets().value(0);
    window->setWindowTitle(QString::number(++n));
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 200)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

TEST(X11Clipboard, TheTextPutBackIsReadAsUtf8)
{
    Offer offer(QStringLiteral("UTF8_STRING"), kEuc);
    SeeTheServerNow();
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(kSjis.size()) + 1);
    std::memcpy(GlobalLock(block), kSjis.constData(), static_cast<std::size_t>(kSjis.size()));
    GlobalUnlock(block);
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), block);
    CloseClipboard();
    for (const char* target : {"UTF8_STRING", "text/plain;charset=utf-8"}) {
        QProcess read;
        read.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                             QStringLiteral("clipboard"), QStringLiteral("-t"),
                                             QLatin1String(target)});
        EXPECT_EQ(QString::fromUtf8(RunToEnd(read)), QStringLiteral("日本語です")) << target;
    }
    EXPECT_EQ(Hex(ReadCfText()), Hex(kSjis)) << "and read back by this program";
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) {
        std::puts("Xvfb or xclip missing: skipped");
        return 0;
    }
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path() + QStringLiteral("/cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));

    // A display of its own, on the first free number from 140.
    x11test::Xvfb xvfb(140);
    if (!xvfb.Ok())
        return 1;

    int result = 1;
    {
        QApplication app(argc, argv);
        QWidget window;
        window.show();
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 300)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        result = RUN_ALL_TESTS();
    }
    return result;
}
