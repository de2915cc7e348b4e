// Print Setup as the user meets it: the machine's printers (here a list of
// the test's own) with what the print system tells of each, their
// properties, the paper and the orientation; Cancel changes nothing, OK
// holds for the prints and the preview after it.
#include "doc_fixture.h"
#include "print_support.h"

#include "editview.h"
#include "frame.h"
#include "preview.h"
#include "previewpages.h"
#include "printers.h"
#include "printing.h"
#include "printsetup.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

using namespace doctest;
using namespace printtest;

namespace {

// Two printers as a print system would tell of them; which one a choice
// put on the printer.
class FakePrinters : public CPrinterSource {
public:
    FakePrinters()
    {
        AfxPrinterDesc laser;
        laser.name = QStringLiteral("office-laser");
        laser.makeAndModel = QStringLiteral("Generic Office Laser");
        laser.location = QStringLiteral("2階 事務室");
        laser.description = QStringLiteral("事務室のレーザー");
        laser.bDefault = true;
        laser.pageSizes = {QPageSize(QPageSize::A4), QPageSize(QPageSize::JisB5),
                           QPageSize(QPageSize::A3), QPageSize(QPageSize::Letter)};
        laser.defaultPageSize = QPageSize(QPageSize::A4);
        laser.duplexModes = {QPrinter::DuplexNone, QPrinter::DuplexLongSide,
                             QPrinter::DuplexShortSide};
        laser.colorModes = {QPrinter::Color, QPrinter::GrayScale};
        AfxPrinterDesc label;
        label.name = QStringLiteral("label");
        label.makeAndModel = QStringLiteral("Label Printer");
        label.location = QStringLiteral("倉庫");
        label.description = QStringLiteral("ラベル用");
        label.state = AfxPrinterDesc::kStopped;
        label.pageSizes = {QPageSize(QPageSize::A5), QPageSize(QPageSize::JisB5)};
        label.defaultPageSize = QPageSize(QPageSize::A5);
        label.duplexModes = {QPrinter::DuplexNone};
        label.colorModes = {QPrinter::GrayScale};
        printers = {label, laser};
    }
    std::vector<AfxPrinterDesc> GetPrinters() override { return printers; }
    void SelectPrinter(QPrinter&, const QString& name) override { selected = name; }

    std::vector<AfxPrinterDesc> printers;
    QString selected;
};

class PrintSetupTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        QWidget* pWindow = Frame()->GetWidget();
        pWindow->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pWindow));
        View()->GetWidget()->repaint();
        QPrinter& printer = AfxGetPrinter();
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setDuplex(QPrinter::DuplexNone);
        printer.setColorMode(QPrinter::Color);
        pdf = dir.File("out.pdf");
        fixtureHook = AfxSetPrintDialogHook(nullptr);
        // The print dialog answered with the file; Print Setup is the real one.
        AfxSetPrintDialogHook([this](QPrinter& p, BOOL bSetup) -> BOOL {
            if (bSetup) {
                CPrintSetupDialog dialog(p);
                const BOOL ok = dialog.DoModal() == IDOK;
                if (ok)
                    chosen = dialog.GetChoice();
                return ok;
            }
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(QString::fromStdString(pdf));
            return TRUE;
        });
        AfxSetPrinterSource(&fake);
    }
    void TearDown() override
    {
        if (CPreviewView* p = CPreviewView::GetPreview(Frame()))
            p->Close();
        AfxSetPrinterSource(nullptr);
        AfxSetPrintDialogHook(fixtureHook);
        DocTest::TearDown();
    }

    // Opens Print Setup from its menu command and lets act work in it while
    // it is up; act ends it (OK or Cancel).
    void RunSetup(const std::function<void(QDialog*)>& act)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ran = true;
            if (pDialog == nullptr) {
                ADD_FAILURE() << "no Print Setup";
                return;
            }
            act(pDialog);
            if (pDialog->isVisible()) {
                ADD_FAILURE() << "Print Setup left open";
                pDialog->reject();
            }
        });
        ASSERT_TRUE(Frame()->OnCommand(ID_FILE_PRINT_SETUP));
        EXPECT_TRUE(ran);
    }

    FakePrinters fake;
    AfxPrintSetupChoice chosen;  // what the last OK put on the printer
    TempDir dir;
    std::string pdf;
    AfxPrintDialogHook fixtureHook;
};

template <typename T>
T* Item(QDialog* pDialog, int nID)
{
    for (QWidget* w : pDialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->property("ruvokDlgCtrlID").toInt() == nID)
            return qobject_cast<T*>(w);
    }
    return nullptr;
}

QString Text(QDialog* pDialog, int nID)
{
    QLabel* pLabel = Item<QLabel>(pDialog, nID);
    return pLabel != nullptr ? pLabel->text() : QStringLiteral("<none>");
}

QStringList Items(QComboBox* pCombo)
{
    QStringList items;
    for (int i = 0; pCombo != nullptr && i < pCombo->count(); ++i)
        items << pCombo->itemText(i);
    return items;
}

void ClickButton(QDialog* pDialog, int nID)
{
    QPushButton* pButton = Item<QPushButton>(pDialog, nID);
    ASSERT_NE(pButton, nullptr) << nID;
    QTest::mouseClick(pButton, Qt::LeftButton);
}

TEST_F(PrintSetupTest, ListsThePrintersAndTellsOfEach)
{
    struct Row {
        int index;
        const char* status;
        const char* type;
        const char* where;
        const char* comment;
        bool properties;
        QStringList sizes;
    };
    const QString file = QStringLiteral("ﾌｧｲﾙへ出力");
    const Row rows[] = {
        {1, "準備完了", "Generic Office Laser", "2階 事務室", "事務室のレーザー", true,
         {QPageSize(QPageSize::A4).name(), QPageSize(QPageSize::JisB5).name(),
          QPageSize(QPageSize::A3).name(), QPageSize(QPageSize::Letter).name()}},
        {0, "停止中", "Label Printer", "倉庫", "ラベル用", false,
         {QPageSize(QPageSize::A5).name(), QPageSize(QPageSize::JisB5).name()}},
        {2, "", "", "", "", true, {}},
    };
    RunSetup([&](QDialog* pDialog) {
        EXPECT_EQ(pDialog->windowTitle(), QStringLiteral("ﾌﾟﾘﾝﾀの設定"));
        auto* pPrinters = Item<QComboBox>(pDialog, AFX_IDC_SETUP_PRINTER);
        ASSERT_NE(pPrinters, nullptr);
        EXPECT_EQ(Items(pPrinters),
                  (QStringList{QStringLiteral("label"), QStringLiteral("office-laser"), file}));
        EXPECT_EQ(pPrinters->currentIndex(), 2) << "the printer prints into a file";
        EXPECT_EQ(pPrinters->accessibleName(), QStringLiteral("ﾌﾟﾘﾝﾀ名(N):"));
        for (const Row& r : rows) {
            SCOPED_TRACE(Items(pPrinters).value(r.index).toStdString());
            pPrinters->setCurrentIndex(r.index);
            EXPECT_EQ(Text(pDialog, AFX_IDC_SETUP_STATUS), QString::fromUtf8(r.status));
            EXPECT_EQ(Text(pDialog, AFX_IDC_SETUP_TYPE), QString::fromUtf8(r.type));
            EXPECT_EQ(Text(pDialog, AFX_IDC_SETUP_WHERE), QString::fromUtf8(r.where));
            EXPECT_EQ(Text(pDialog, AFX_IDC_SETUP_COMMENT), QString::fromUtf8(r.comment));
            EXPECT_EQ(Item<QPushButton>(pDialog, AFX_IDC_SETUP_PROPERTIES)->isEnabled(), r.properties);
            auto* pPaper = Item<QComboBox>(pDialog, AFX_IDC_SETUP_PAPER);
            if (!r.sizes.isEmpty())
                EXPECT_EQ(Items(pPaper), r.sizes);
            else
                EXPECT_GE(pPaper->count(), 5) << "a file takes the usual sizes";
        }
        ClickButton(pDialog, IDCANCEL);
    });
    EXPECT_TRUE(fake.selected.isEmpty()) << "Cancel chose a printer";
}

// OK puts printer, paper and orientation on the program's printer; each
// choice holds for the next prints and the preview.
TEST_F(PrintSetupTest, OkHoldsForThePrintsAndThePreviewAfterIt)
{
    SetText("abc\r\n");
    struct Row {
        const char* what;
        int printer;
        QPageSize::PageSizeId size;
        bool landscape;
        QString selected;  // "" for a file
    } rows[] = {
        {"a file, A5 across", 2, QPageSize::A5, true, QString()},
        {"the label printer, B5", 0, QPageSize::JisB5, false, QStringLiteral("label")},
        {"a file, A4 upright", 2, QPageSize::A4, false, QString()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        fake.selected.clear();
        RunSetup([&](QDialog* pDialog) {
            Item<QComboBox>(pDialog, AFX_IDC_SETUP_PRINTER)->setCurrentIndex(r.printer);
            auto* pPaper = Item<QComboBox>(pDialog, AFX_IDC_SETUP_PAPER);
            pPaper->setCurrentIndex(pPaper->findText(QPageSize(r.size).name()));
            ASSERT_GE(pPaper->currentIndex(), 0);
            Item<QRadioButton>(pDialog, r.landscape ? AFX_IDC_SETUP_LANDSCAPE
                                                    : AFX_IDC_SETUP_PORTRAIT)
                ->click();
            ClickButton(pDialog, IDOK);
        });
        QPrinter& printer = AfxGetPrinter();
        EXPECT_EQ(fake.selected, r.selected);
        EXPECT_EQ(printer.pageLayout().pageSize().id(), r.size);
        EXPECT_EQ(printer.pageLayout().orientation(),
                  r.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        // Shown again, it shows what was chosen.
        RunSetup([&](QDialog* pDialog) {
            EXPECT_EQ(Item<QComboBox>(pDialog, AFX_IDC_SETUP_PAPER)->currentText(),
                      QPageSize(r.size).name());
            EXPECT_EQ(Item<QRadioButton>(pDialog, AFX_IDC_SETUP_LANDSCAPE)->isChecked(), r.landscape);
            if (r.selected.isEmpty()) {
                EXPECT_EQ(Item<QComboBox>(pDialog, AFX_IDC_SETUP_PRINTER)->currentIndex(), 2);
            }
            ClickButton(pDialog, IDCANCEL);
        });
        if (!r.selected.isEmpty())
            continue;  // a printer of the test's own prints nothing
        // Print, then Print Direct, on the paper chosen.
        const QSizeF paper = QPageSize(r.size).size(QPageSize::Point);
        for (BOOL bDirect : {FALSE, TRUE}) {
            SCOPED_TRACE(bDirect ? "Print Direct" : "Print");
            std::remove(pdf.c_str());
            if (bDirect)
                GetPrompts().AnswerDialogWith(pdf);
            ASSERT_TRUE(View()->RunPrintJob(bDirect));
            const double width = r.landscape ? paper.height() : paper.width();
            const double height = r.landscape ? paper.width() : paper.height();
            EXPECT_NEAR(PageWidthPoints(pdf), width, 1.5);
            EXPECT_NEAR(PageHeightPoints(pdf), height, 1.5);
        }
        // The preview's page has the paper's shape.
        ASSERT_TRUE(Frame()->OnCommand(ID_FILE_PRINT_PREVIEW));
        QApplication::processEvents();
        CPreviewView* pPreview = CPreviewView::GetPreview(Frame());
        ASSERT_NE(pPreview, nullptr);
        const QRect page = pPreview->GetPagesWidget()->PageRects().value(0);
        EXPECT_NEAR(static_cast<double>(page.width()) / page.height(),
                    r.landscape ? paper.height() / paper.width() : paper.width() / paper.height(),
                    0.02);
        pPreview->Close();
        QApplication::processEvents();
    }
}

// The properties offer what the printer has; their choice goes on the
// printer with Print Setup's OK, and not with its Cancel.
TEST_F(PrintSetupTest, PropertiesOfferWhatThePrinterHas)
{
    struct Row {
        const char* what;
        int printer;
        QStringList duplex, color;
        bool duplexOffered, colorOffered;
        int pickDuplex, pickColor;
        int closeSetup;
        QPrinter::DuplexMode duplexAfter;
        QPrinter::ColorMode colorAfter;
    };
    const QStringList allDuplex{QStringLiteral("片面"), QStringLiteral("長辺綴じ"),
                                QStringLiteral("短辺綴じ")};
    const QStringList allColor{QStringLiteral("ｶﾗｰ"), QStringLiteral("ﾓﾉｸﾛ")};
    const Row rows[] = {
        {"the laser, long edge and monochrome, OK", 1, allDuplex, allColor, true, true, 1, 1, IDOK,
         QPrinter::DuplexLongSide, QPrinter::GrayScale},
        {"the laser, short edge, Cancel", 1, allDuplex, allColor, true, true, 2, 0, IDCANCEL,
         QPrinter::DuplexLongSide, QPrinter::GrayScale},
        {"a file: colour only", 2, {allDuplex[0]}, allColor, false, true, 0, 0, IDOK,
         QPrinter::DuplexNone, QPrinter::Color},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        RunSetup([&](QDialog* pDialog) {
            Item<QComboBox>(pDialog, AFX_IDC_SETUP_PRINTER)->setCurrentIndex(r.printer);
            bool shown = false;
            QTimer::singleShot(0, [&] {
                auto* pProps = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                ASSERT_NE(pProps, nullptr);
                ASSERT_NE(pProps, pDialog);
                shown = true;
                const QString name = Item<QComboBox>(pDialog, AFX_IDC_SETUP_PRINTER)->currentText();
                EXPECT_EQ(pProps->windowTitle(), name + QStringLiteral(" のﾌﾟﾛﾊﾟﾃｨ"));
                auto* pDuplex = Item<QComboBox>(pProps, AFX_IDC_PROPS_DUPLEX);
                auto* pColor = Item<QComboBox>(pProps, AFX_IDC_PROPS_COLOR);
                EXPECT_EQ(Items(pDuplex), r.duplex);
                EXPECT_EQ(Items(pColor), r.color);
                EXPECT_EQ(pDuplex->isEnabled(), r.duplexOffered);
                EXPECT_EQ(pColor->isEnabled(), r.colorOffered);
                pDuplex->setCurrentIndex(r.pickDuplex);
                pColor->setCurrentIndex(r.pickColor);
                ClickButton(pProps, IDOK);
            });
            ClickButton(pDialog, AFX_IDC_SETUP_PROPERTIES);
            EXPECT_TRUE(shown);
            ClickButton(pDialog, r.closeSetup);
        });
        // (A file keeps no two-sided setting, so the choice is checked as made.)
        EXPECT_EQ(chosen.duplex, r.duplexAfter);
        EXPECT_EQ(chosen.colorMode, r.colorAfter);
        EXPECT_EQ(AfxGetPrinter().colorMode(), r.colorAfter);
    }
}

}  // namespace
