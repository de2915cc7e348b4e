// Print Setup and a printer's properties (see printsetup.h).
#include "printsetup.h"

#include "printdlgs.h"
#include "qstrings.h"
#include "resources.h"
#include "strings_table.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <iterator>

namespace {

constexpr QPrinter::DuplexMode kDuplexChoices[] = {QPrinter::DuplexNone, QPrinter::DuplexLongSide,
                                                   QPrinter::DuplexShortSide};
constexpr QPrinter::ColorMode kColorChoices[] = {QPrinter::Color, QPrinter::GrayScale};

// The template's own text of control nID (several sub-fields for some).
std::string TemplateText(UINT nIDTemplate, int nID)
{
    AfxDialogTemplate tmpl;
    if (AfxLoadDialogTemplate(nIDTemplate, tmpl)) {
        for (const AfxDlgItemTemplate& item : tmpl.items) {
            if (item.id == nID)
                return item.text;
        }
    }
    return std::string();
}

void SetStaticText(QWidget* pWidget, const QString& text)
{
    if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
        pLabel->setText(text);
        pLabel->setAccessibleName(text);
    }
}

// The choices of kChoices the printer has; the first alone where it tells
// of none of them.
template <typename Mode, size_t N>
QList<Mode> Supported(const Mode (&kChoices)[N], const QList<Mode>& supported)
{
    QList<Mode> modes;
    for (Mode mode : kChoices) {
        if (supported.contains(mode))
            modes.append(mode);
    }
    if (modes.isEmpty())
        modes.append(kChoices[0]);
    return modes;
}

// A combo box of the template's choices (in the order of kChoices), cut to
// those the printer has; offered only where there is more than one.
template <typename Mode, size_t N>
void OfferChoices(QComboBox* pCombo, const Mode (&kChoices)[N], const QList<Mode>& supported,
                  Mode current)
{
    if (pCombo == nullptr)
        return;
    const QList<Mode> modes = Supported(kChoices, supported);
    for (int i = static_cast<int>(N) - 1; i >= 0; --i) {
        if (i >= pCombo->count())
            continue;
        if (!modes.contains(kChoices[i]))
            pCombo->removeItem(i);
        else
            pCombo->setItemData(i, static_cast<int>(kChoices[i]));
    }
    const int at = pCombo->findData(static_cast<int>(current));
    pCombo->setCurrentIndex(at >= 0 ? at : 0);
    pCombo->setEnabled(pCombo->count() > 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// Print Setup

BEGIN_MESSAGE_MAP(CPrintSetupDialog, CDialog)
    ON_COMMAND(AFX_IDC_SETUP_PROPERTIES, OnProperties)
END_MESSAGE_MAP()

CPrintSetupDialog::CPrintSetupDialog(QPrinter& printer, CWnd* pParentWnd)
    : CDialog(AFX_IDD_PRINTSETUP, pParentWnd), m_printer(printer)
{
}

CPrintSetupDialog::~CPrintSetupDialog() = default;

bool CPrintSetupDialog::IsFileEntry(int nPrinter) const
{
    return nPrinter == static_cast<int>(m_printers.size()) - 1;
}

BOOL CPrintSetupDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_printers = AfxGetPrinterSource()->GetPrinters();
    AfxPrinterDesc file;
    file.pageSizes = AfxFilePageSizes();
    file.defaultPageSize = QPageSize(QPageSize::A4);
    file.colorModes = {QPrinter::Color, QPrinter::GrayScale};
    m_printers.push_back(file);

    // What the printer does now.
    const bool toFile = m_printer.outputFormat() == QPrinter::PdfFormat;
    m_choice.nPrinter = static_cast<int>(m_printers.size()) - 1;
    if (!toFile) {
        int nDefault = -1;
        for (int i = 0; i + 1 < static_cast<int>(m_printers.size()); ++i) {
            if (m_printers[i].name == m_printer.printerName())
                m_choice.nPrinter = i;
            if (m_printers[i].bDefault && nDefault < 0)
                nDefault = i;
        }
        if (IsFileEntry(m_choice.nPrinter) && m_printers.size() > 1)
            m_choice.nPrinter = nDefault >= 0 ? nDefault : 0;
    }
    m_choice.pageSize = m_printer.pageLayout().pageSize();
    m_choice.orientation = m_printer.pageLayout().orientation();
    m_choice.duplex = m_printer.duplex();
    m_choice.colorMode = m_printer.colorMode();

    auto* pPrinters = qobject_cast<QComboBox*>(GetDlgItemWidget(AFX_IDC_SETUP_PRINTER));
    auto* pPaper = qobject_cast<QComboBox*>(GetDlgItemWidget(AFX_IDC_SETUP_PAPER));
    if (pPrinters == nullptr || pPaper == nullptr)
        return FALSE;
    for (int i = 0; i < static_cast<int>(m_printers.size()); ++i)
        pPrinters->addItem(IsFileEntry(i) ? AfxQText(AfxLoadString(AFX_IDS_PRINTCAPTION))
                                          : m_printers[i].name);
    pPrinters->setCurrentIndex(m_choice.nPrinter);
    QObject::connect(pPrinters, &QComboBox::currentIndexChanged, pPrinters, [this](int index) {
        if (index < 0)
            return;
        m_choice.nPrinter = index;
        ShowPrinter();
        ShowPaperSizes();
    });
    QObject::connect(pPaper, &QComboBox::currentIndexChanged, pPaper, [this](int index) {
        const QList<QPageSize>& sizes = Printer(m_choice.nPrinter).pageSizes;
        if (index >= 0 && index < sizes.size())
            m_choice.pageSize = sizes[index];
    });
    const int nOrientation = m_choice.orientation == QPageLayout::Landscape
                                 ? AFX_IDC_SETUP_LANDSCAPE
                                 : AFX_IDC_SETUP_PORTRAIT;
    if (auto* pRadio = qobject_cast<QRadioButton*>(GetDlgItemWidget(nOrientation)))
        pRadio->setChecked(true);
    ShowPrinter();
    ShowPaperSizes();
    pPrinters->setFocus();
    return TRUE;
}

// What the print system tells of the chosen printer; nothing for a file.
void CPrintSetupDialog::ShowPrinter()
{
    const AfxPrinterDesc& desc = Printer(m_choice.nPrinter);
    const bool file = IsFileEntry(m_choice.nPrinter);
    std::string state;
    if (!file)
        AfxExtractSubString(state, TemplateText(AFX_IDD_PRINTSETUP, AFX_IDC_SETUP_STATUS),
                            static_cast<int>(desc.state));
    SetStaticText(GetDlgItemWidget(AFX_IDC_SETUP_STATUS), AfxQText(state));
    SetStaticText(GetDlgItemWidget(AFX_IDC_SETUP_TYPE), desc.makeAndModel);
    SetStaticText(GetDlgItemWidget(AFX_IDC_SETUP_WHERE), desc.location);
    SetStaticText(GetDlgItemWidget(AFX_IDC_SETUP_COMMENT), desc.description);
    // Properties only where there is something to choose.
    const bool choices = Supported(kDuplexChoices, desc.duplexModes).size() > 1
                         || Supported(kColorChoices, desc.colorModes).size() > 1;
    if (QWidget* pButton = GetDlgItemWidget(AFX_IDC_SETUP_PROPERTIES))
        pButton->setEnabled(choices);
}

// The chosen printer's paper sizes, the one chosen so far kept where the
// printer has it, else the printer's own default.
void CPrintSetupDialog::ShowPaperSizes()
{
    auto* pPaper = qobject_cast<QComboBox*>(GetDlgItemWidget(AFX_IDC_SETUP_PAPER));
    if (pPaper == nullptr)
        return;
    const AfxPrinterDesc& desc = Printer(m_choice.nPrinter);
    const QPageSize wanted = m_choice.pageSize;
    int at = -1;
    int fallback = -1;
    const QSignalBlocker quiet(pPaper);
    pPaper->clear();
    for (int i = 0; i < desc.pageSizes.size(); ++i) {
        const QPageSize& size = desc.pageSizes[i];
        pPaper->addItem(size.name());
        if (at < 0 && size.isEquivalentTo(wanted))
            at = i;
        if (fallback < 0 && size.isEquivalentTo(desc.defaultPageSize))
            fallback = i;
    }
    if (at < 0)
        at = fallback >= 0 ? fallback : 0;
    if (at < desc.pageSizes.size()) {
        pPaper->setCurrentIndex(at);
        m_choice.pageSize = desc.pageSizes[at];
    }
    pPaper->setEnabled(pPaper->count() > 0);
}

void CPrintSetupDialog::OnProperties()
{
    auto* pPrinters = qobject_cast<QComboBox*>(GetDlgItemWidget(AFX_IDC_SETUP_PRINTER));
    const QString name = pPrinters != nullptr ? pPrinters->currentText() : QString();
    AfxPrintSetupChoice choice = m_choice;
    CPrinterPropertiesDialog dlg(Printer(m_choice.nPrinter), name, choice, this);
    if (dlg.DoModal() == IDOK) {
        m_choice.duplex = choice.duplex;
        m_choice.colorMode = choice.colorMode;
    }
}

void CPrintSetupDialog::OnOK()
{
    if (auto* pLandscape = qobject_cast<QRadioButton*>(GetDlgItemWidget(AFX_IDC_SETUP_LANDSCAPE)))
        m_choice.orientation =
            pLandscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
    const AfxPrinterDesc& desc = Printer(m_choice.nPrinter);
    if (IsFileEntry(m_choice.nPrinter)) {
        if (m_printer.outputFormat() != QPrinter::PdfFormat)
            m_printer.setOutputFormat(QPrinter::PdfFormat);
    } else {
        AfxGetPrinterSource()->SelectPrinter(m_printer, desc.name);
    }
    // Choices the printer lacks give way to the first it has.
    const QList<QPrinter::DuplexMode> duplexModes = Supported(kDuplexChoices, desc.duplexModes);
    if (!duplexModes.contains(m_choice.duplex))
        m_choice.duplex = duplexModes.first();
    const QList<QPrinter::ColorMode> colorModes = Supported(kColorChoices, desc.colorModes);
    if (!colorModes.contains(m_choice.colorMode))
        m_choice.colorMode = colorModes.first();
    if (m_choice.pageSize.isValid())
        m_printer.setPageSize(m_choice.pageSize);
    m_printer.setPageOrientation(m_choice.orientation);
    m_printer.setDuplex(m_choice.duplex);
    m_printer.setColorMode(m_choice.colorMode);
    CDialog::OnOK();
}

// ---------------------------------------------------------------------------
// A printer's properties

BEGIN_MESSAGE_MAP(CPrinterPropertiesDialog, CDialog)
END_MESSAGE_MAP()

CPrinterPropertiesDialog::CPrinterPropertiesDialog(const AfxPrinterDesc& printer,
                                                   const QString& displayName,
                                                   AfxPrintSetupChoice& choice, CWnd* pParentWnd)
    : CDialog(AFX_IDD_PRINTERPROPERTIES, pParentWnd),
      m_desc(printer),
      m_displayName(displayName),
      m_choice(choice)
{
}

CPrinterPropertiesDialog::~CPrinterPropertiesDialog() = default;

BOOL CPrinterPropertiesDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (QWidget* pWidget = GetWidget()) {
        // "%1" in the caption is the printer's name.
        QString caption = pWidget->windowTitle();
        caption.replace(QStringLiteral("%1"), m_displayName);
        pWidget->setWindowTitle(caption);
        pWidget->setAccessibleName(caption);
    }
    OfferChoices(qobject_cast<QComboBox*>(GetDlgItemWidget(AFX_IDC_PROPS_DUPLEX)), kDuplexChoices,
                 m_desc.duplexModes, m_choice.duplex);
    OfferChoices(qobject_cast<QComboBox*>(GetDlgItemWidget(AFX_IDC_PROPS_COLOR)), kColorChoices,
                 m_desc.colorModes, m_choice.colorMode);
    return TRUE;
}

void CPrinterPropertiesDialog::OnOK()
{
    if (auto* pDuplex = qobject_cast<QComboBox*>(GetDlgItemWidget(AFX_IDC_PROPS_DUPLEX)))
        m_choice.duplex = static_cast<QPrinter::DuplexMode>(pDuplex->currentData().toInt());
    if (auto* pColor = qobject_cast<QComboBox*>(GetDlgItemWidget(AFX_IDC_PROPS_COLOR)))
        m_choice.colorMode = static_cast<QPrinter::ColorMode>(pColor->currentData().toInt());
    CDialog::OnOK();
}
