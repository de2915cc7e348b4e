// Printing a 655,360-byte text into a PDF file: the edit view's print job
// (layout in the view's font at the printer's resolution, pages cut by
// lines, the progress box), against Qt's own printing of the same text from
// a QPlainTextEdit in the same font. Offscreen; milliseconds.
#include "cp932text.h"
#include "msgbox.h"
#include "printing.h"
#include "ruvokview.h"
#include "text_generator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kFileBytes = 655360;

class PrintingView : public CRuvokView {};

struct Case {
    const char* name;
    std::string bytes;
};

std::vector<Case> MakeCases()
{
    std::vector<Case> cases;
    std::string prose = MakeText(TextKind::kKanjiHeavy, TextEncoding::kSjis, kFileBytes);
    prose.resize(kFileBytes);
    cases.push_back({"prose, Shift_JIS", prose});
    std::string oneLine;
    for (char c : MakeText(TextKind::kKanjiHeavy, TextEncoding::kSjis, 2 * kFileBytes))
        if (c != '\n' && c != '\r')
            oneLine += c;
    oneLine.resize(kFileBytes);
    cases.push_back({"no line end (prose)", oneLine});
    return cases;
}

double Ms(const QElapsedTimer& t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string pdf = dir.filePath(QStringLiteral("out.pdf")).toStdString();
    // Print Direct into a file asks where: always here.
    AfxSetFileDialogHook([&](AfxFileDialogRequest& r) {
        r.fileName = pdf;
        return TRUE;
    });

    std::printf("%-24s %12s %14s %8s\n", "text", "ruvok (ms)", "Qt print (ms)", "ratio");
    for (const Case& c : MakeCases()) {
        auto host = std::make_unique<CWnd>();
        RECT frame{0, 0, 800, 600};
        host->Create(nullptr, nullptr, WS_OVERLAPPED, frame, nullptr, 0);
        auto view = std::make_unique<PrintingView>();
        view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, frame, host.get(), AFX_IDW_PANE_FIRST);
        host->GetWidget()->show();
        view->GetEditCtrl().SetWindowText(c.bytes.c_str());
        view->GetWidget()->repaint();
        QApplication::processEvents();

        QPrinter& printer = AfxGetPrinter();
        printer.setOutputFormat(QPrinter::PdfFormat);
        QElapsedTimer t;
        t.start();
        view->RunPrintJob(TRUE);
        const double ours = Ms(t);

        // Qt's own: the same decoded text, in the view's font.
        QPlainTextEdit plain;
        plain.setFont(view->GetWidget()->font());
        plain.setPlainText(cp932::Decode(c.bytes.data(), c.bytes.size()));
        QPrinter qtPrinter(QPrinter::HighResolution);
        qtPrinter.setOutputFormat(QPrinter::PdfFormat);
        qtPrinter.setOutputFileName(dir.filePath(QStringLiteral("qt.pdf")));
        t.restart();
        plain.print(&qtPrinter);
        const double theirs = Ms(t);

        std::printf("%-24s %12.0f %14.0f %7.2fx\n", c.name, ours, theirs,
                    theirs > 0 ? ours / theirs : 0.0);
        view.reset();
        host.reset();
    }
    std::printf("ratio: ruvok's time over Qt's own printing of the same text (lower is faster)\n");
    return 0;
}
