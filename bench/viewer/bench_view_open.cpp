// Opening a 655,360-byte file in the viewer: the document's real open (file,
// archive, conversion, the whole text into the view), then the window shown
// and painted, with the fixed font arriving at that first paint as it does
// at start-up; then one character typed, to the end of the repaint it
// causes (no target: it shows what editing a file like it feels like).
// Offscreen. Compared with a plain QPlainTextEdit::setPlainText
// of the same text, and against the targets; the prose as a UTF-8 and a
// UTF-16 file (fewer characters in the same bytes), also against the
// Shift_JIS file opened in the same process.
#include "document.h"
#include "ruvokdoc.h"
#include "ruvokview.h"
#include "text_generator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kFileBytes = 655360;
const char kSjisCase[] = "prose, Shift_JIS";
const char kUtf8Case[] = "prose, UTF-8";
const char kUtf16Case[] = "prose, UTF-16LE";

// Notes when the view's first paint has ended.
class TimedView : public CRuvokView {
public:
    bool m_bPainted = false;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const LRESULT result = CRuvokView::WindowProc(message, wParam, lParam);
        if (message == WM_PAINT)
            m_bPainted = true;
        return result;
    }
};

std::string Exactly(std::string text, std::size_t size)
{
    while (text.size() < size)
        text += ' ';
    text.resize(size);
    return text;
}

struct Case {
    const char* name;
    std::string bytes;
    double target;
};

std::vector<Case> MakeCases()
{
    std::vector<Case> cases;
    cases.push_back({kSjisCase, Exactly(MakeText(TextKind::kKanjiHeavy, TextEncoding::kSjis, kFileBytes), kFileBytes), 150});
    cases.push_back({"prose, EUC-JP", Exactly(MakeText(TextKind::kKanjiHeavy, TextEncoding::kEuc, kFileBytes), kFileBytes), 150});
    cases.push_back({"prose, JIS", Exactly(MakeText(TextKind::kKanjiHeavy, TextEncoding::kJis, kFileBytes), kFileBytes), 150});
    // The same prose as Unicode files, decoded and mapped to code page 932 on
    // the way in.
    const QString prose = QStringDecoder("Shift_JIS")(QByteArray::fromStdString(
        MakeText(TextKind::kKanjiHeavy, TextEncoding::kSjis, kFileBytes)));
    QByteArray utf8 = prose.toUtf8();
    while (utf8.size() > static_cast<qsizetype>(kFileBytes) || (utf8.size() > 0 && (utf8.back() & 0xC0) == 0x80))
        utf8.chop(1);  // whole characters only
    if (utf8.size() > 0 && (utf8.back() & 0x80) != 0)
        utf8.chop(1);
    cases.push_back({kUtf8Case, Exactly(utf8.toStdString(), kFileBytes), 150});
    std::string utf16 = "\xFF\xFE";
    for (QChar c : prose) {
        if (utf16.size() + 2 > kFileBytes)
            break;
        utf16 += static_cast<char>(c.unicode() & 0xFF);
        utf16 += static_cast<char>(c.unicode() >> 8);
    }
    while (utf16.size() < kFileBytes)
        utf16 += std::string(" \0", 2);
    cases.push_back({kUtf16Case, utf16, 150});
    cases.push_back({"only LF bytes", std::string(kFileBytes, '\n'), 500});
    // Prose with its line ends taken out: one line of 655,360 bytes.
    std::string oneLine;
    for (char c : MakeText(TextKind::kKanjiHeavy, TextEncoding::kSjis, 2 * kFileBytes))
        if (c != '\n')
            oneLine += c;
    oneLine.resize(kFileBytes);
    cases.push_back({"no line end (prose)", oneLine, 500});
    std::string words;
    for (char c : MakeText(TextKind::kAsciiHeavy, TextEncoding::kSjis, 2 * kFileBytes))
        words += c == '\n' ? ' ' : c;
    words.resize(kFileBytes);
    cases.push_back({"no line end (ASCII-heavy)", words, 500});
    return cases;
}

void WaitFor(const bool& flag)
{
    while (!flag)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Timings {
    double open = 0;       // to the end of the first paint
    double whole = 0;      // to the whole text in the view (the rest of a long one follows the paint)
    double keystroke = 0;  // a character typed at the start, to the end of the repaint
};

// The viewer's road; milliseconds.
Timings OpenInView(const std::string& path)
{
    auto host = std::make_unique<CWnd>();
    RECT frame{0, 0, 800, 600};
    host->Create(nullptr, nullptr, WS_OVERLAPPED, frame, nullptr, 0);
    std::unique_ptr<CDocument> doc(static_cast<CDocument*>(RUNTIME_CLASS(CRuvokDoc)->CreateObject()));
    auto view = std::make_unique<TimedView>();
    CCreateContext context;
    context.m_pCurrentDoc = doc.get();
    view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, frame, host.get(), AFX_IDW_PANE_FIRST, &context);
    g_bFixedFontPending = TRUE;
    if (std::getenv("RUVOK_BENCH_FONT_FIRST") != nullptr) {
        // For comparison only: the font given before the open.
        view->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FIXED_FONT)), 0);
        g_bFixedFontPending = FALSE;
    }
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    doc->OnOpenDocument(path.c_str());
    host->GetWidget()->show();
    WaitFor(view->m_bPainted);
    Timings t;
    t.open = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    QApplication::processEvents();
    t.whole = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    QWidget* edit = view->GetWidget();
    timer.restart();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(edit, &release);
    edit->repaint();
    t.keystroke = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    view.reset();
    doc.reset();
    return t;
}

class PaintFlag : public QPlainTextEdit {
public:
    bool m_bPainted = false;
protected:
    void paintEvent(QPaintEvent* e) override
    {
        QPlainTextEdit::paintEvent(e);
        m_bPainted = true;
    }
};

// The same text through setPlainText, for comparison; milliseconds.
double OpenNaively(const std::string& path)
{
    QElapsedTimer timer;
    timer.start();
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    PaintFlag edit;
    edit.resize(800, 600);
    edit.setPlainText(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
    edit.show();
    WaitFor(edit.m_bPainted);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

long PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace

// Each file is opened in a process of its own, so that each gets its own
// peak memory; the parent only starts them.
int RunEachInItsOwnProcess(const char* self, bool naive)
{
    std::printf("open of a %zu-byte file to the end of the first paint, and to the whole text in\n"
                "the view (the target's), offscreen, best of 3; each in its own process, with\n"
                "that process's peak memory (ru_maxrss)\n",
                kFileBytes);
    std::printf("%-28s %10s %10s %8s %8s %8s %12s\n", "file", "painted ms", "whole ms", "target", "",
                "peak MB", "keystroke ms");
    std::fflush(stdout);
    int failures = 0;
    for (const Case& c : MakeCases()) {
        const std::string command = std::string("RUVOK_BENCH_CASE='") + c.name + "' '" + self + "'" +
                                    (naive ? " --naive" : "");
        failures += std::system(command.c_str()) != 0 ? 1 : 0;
    }
    std::printf("targets: typical text 150 ms, the two extremes 500 ms, peak memory under 100 MB; %d missed\n",
                failures);
    return failures == 0 ? 0 : 1;
}

int main(int argc, char** argv)
{
    const bool naive = argc > 1 && std::string(argv[1]) == "--naive";
    const char* only = std::getenv("RUVOK_BENCH_CASE");  // the one file this process opens
    if (only == nullptr)
        return RunEachInItsOwnProcess(argv[0], naive);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    QApplication app(argc, argv);
    bool allMet = true;
    for (const Case& c : MakeCases()) {
        if (std::string(c.name) != only)
            continue;
        const std::string path = (dir.path() + QStringLiteral("/case.txt")).toStdString();
        std::ofstream(path, std::ios::binary).write(c.bytes.data(), static_cast<std::streamsize>(c.bytes.size()));
        Timings best{1e9, 1e9, 1e9};
        for (int i = 0; i < 3; ++i) {
            const Timings t = OpenInView(path);
            best.open = std::min(best.open, t.open);
            best.whole = std::min(best.whole, t.whole);
            best.keystroke = std::min(best.keystroke, t.keystroke);
        }
        const long peak = PeakMegabytes();
        const bool met = best.whole <= c.target && peak < 100;
        allMet = allMet && met;
        std::printf("%-28s %10.1f %10.1f %8.0f %8s %8ld %12.1f", c.name, best.open, best.whole, c.target,
                    met ? "ok" : "MISSED", peak, best.keystroke);
        // A Unicode file beside the Shift_JIS one, in this process.
        if (std::string(c.name) == kUtf8Case || std::string(c.name) == kUtf16Case) {
            const std::string sjisPath = (dir.path() + QStringLiteral("/sjis.txt")).toStdString();
            for (const Case& other : MakeCases()) {
                if (std::string(other.name) == kSjisCase)
                    std::ofstream(sjisPath, std::ios::binary)
                        .write(other.bytes.data(), static_cast<std::streamsize>(other.bytes.size()));
            }
            double sjis = 1e9;
            for (int i = 0; i < 3; ++i)
                sjis = std::min(sjis, OpenInView(sjisPath).whole);
            std::printf("   Shift_JIS %.1f ms, this %.2f x that", sjis, best.whole / sjis);
        }
        if (naive) {
            const double plain = OpenNaively(path);
            std::printf("   setPlainText of the bytes as Latin-1: %.1f ms", plain);
        }
        std::printf("\n");
    }
    return allMet ? 0 : 1;
}
