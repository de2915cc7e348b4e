// Print Setup: the printer the program prints on (one of the machine's
// printers, or a file), its properties, the paper and the orientation, in
// the dialogs of the resources. The choice is put on the program's printer
// at OK and holds for every print and preview after it.
#ifndef RUVOK_PRINTSETUP_H
#define RUVOK_PRINTSETUP_H

#include "dialog.h"
#include "printers.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <vector>

constexpr UINT AFX_IDD_PRINTSETUP = 1539;
constexpr UINT AFX_IDD_PRINTERPROPERTIES = 1550;

// Print Setup's controls.
constexpr int AFX_IDC_SETUP_PRINTER = 0x0473;     // the printer's name (combo box)
constexpr int AFX_IDC_SETUP_PROPERTIES = 0x0401;  // its properties (button)
constexpr int AFX_IDC_SETUP_STATUS = 0x0443;      // its state: one sub-field of the template's text each
constexpr int AFX_IDC_SETUP_TYPE = 0x0444;
constexpr int AFX_IDC_SETUP_WHERE = 0x0445;
constexpr int AFX_IDC_SETUP_COMMENT = 0x0446;
constexpr int AFX_IDC_SETUP_PAPER = 0x0471;       // the paper size (combo box)
constexpr int AFX_IDC_SETUP_PORTRAIT = 0x0420;
constexpr int AFX_IDC_SETUP_LANDSCAPE = 0x0421;
// The properties' controls: the template's items in the order of
// kDuplexChoices and kColorChoices.
constexpr int AFX_IDC_PROPS_DUPLEX = 0x0480;
constexpr int AFX_IDC_PROPS_COLOR = 0x0481;

// What the two dialogs choose, before it is put on the printer.
struct AfxPrintSetupChoice {
    int nPrinter = 0;  // index into the list; the last entry is "into a file"
    QPageSize pageSize;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    QPrinter::ColorMode colorMode = QPrinter::Color;
};

class CPrintSetupDialog : public CDialog {
public:
    // Shows what printer prints on now; OK puts the choice on it.
    explicit CPrintSetupDialog(QPrinter& printer, CWnd* pParentWnd = nullptr);
    ~CPrintSetupDialog() override;

    const AfxPrintSetupChoice& GetChoice() const { return m_choice; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnProperties();

    DECLARE_MESSAGE_MAP()

private:
    bool IsFileEntry(int nPrinter) const;
    const AfxPrinterDesc& Printer(int nPrinter) const { return m_printers[nPrinter]; }
    void ShowPrinter();
    void ShowPaperSizes();

    QPrinter& m_printer;
    std::vector<AfxPrinterDesc> m_printers;  // the machine's, then a file
    AfxPrintSetupChoice m_choice;
};

// A printer's properties: two-sided printing and colour, each offered only
// where the printer has more than one way.
class CPrinterPropertiesDialog : public CDialog {
public:
    CPrinterPropertiesDialog(const AfxPrinterDesc& printer, const QString& displayName,
                             AfxPrintSetupChoice& choice, CWnd* pParentWnd = nullptr);
    ~CPrinterPropertiesDialog() override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

    DECLARE_MESSAGE_MAP()

private:
    const AfxPrinterDesc& m_desc;
    QString m_displayName;
    AfxPrintSetupChoice& m_choice;
};

#endif
