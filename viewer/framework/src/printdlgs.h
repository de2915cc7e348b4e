// The framework's two printing windows, laid out from their dialog templates
// in the resources: the printing-progress box shown while a job is spooled,
// and the bar of print preview.
#ifndef RUVOK_PRINTDLGS_H
#define RUVOK_PRINTDLGS_H

#include "afx.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

constexpr UINT AFX_IDD_PRINTDLG = 30722;
constexpr UINT AFX_IDD_PREVIEW_TOOLBAR = 30723;

// The framework's strings for printing and print preview.
constexpr UINT AFX_IDS_PRINTONPORT = 0xF040;      // "%1 へ出力中"
constexpr UINT AFX_IDS_ONEPAGE = 0xF041;
constexpr UINT AFX_IDS_TWOPAGE = 0xF042;
constexpr UINT AFX_IDS_PRINTPAGENUM = 0xF043;     // "%u"
constexpr UINT AFX_IDS_PREVIEWPAGEDESC = 0xF044;  // one page "\n" two pages
constexpr UINT AFX_IDS_PRINTDEFAULTEXT = 0xF045;
constexpr UINT AFX_IDS_PRINTDEFAULT = 0xF046;
constexpr UINT AFX_IDS_PRINTFILTER = 0xF047;
constexpr UINT AFX_IDS_PRINTCAPTION = 0xF048;
constexpr UINT AFX_IDS_PRINTTOFILE = 0xF049;      // "%1 へ"

// The progress box's controls.
constexpr int AFX_IDC_PRINT_DOCNAME = 201;
constexpr int AFX_IDC_PRINT_PRINTERNAME = 202;
constexpr int AFX_IDC_PRINT_PORTNAME = 203;
constexpr int AFX_IDC_PRINT_PAGENUM = 204;

// The preview bar's buttons, which are also its commands.
constexpr UINT AFX_ID_PREVIEW_CLOSE = 0xE300;
constexpr UINT AFX_ID_PREVIEW_NUMPAGE = 0xE301;
constexpr UINT AFX_ID_PREVIEW_NEXT = 0xE302;
constexpr UINT AFX_ID_PREVIEW_PREV = 0xE303;
constexpr UINT AFX_ID_PREVIEW_PRINT = 0xE304;
constexpr UINT AFX_ID_PREVIEW_ZOOMIN = 0xE305;
constexpr UINT AFX_ID_PREVIEW_ZOOMOUT = 0xE306;

// The print-preview accelerator table.
constexpr UINT AFX_IDR_PREVIEW_ACCEL = 30997;
// The magnifier over a page that can be zoomed.
constexpr UINT AFX_IDC_MAGNIFY = 30978;

// A framework template laid out in pParent: its font set, and for each
// control (push buttons and centred static texts) a widget named by its id
// at its place. FALSE when the resources lack the template.
BOOL AfxCreatePrintTemplateControls(UINT nIDTemplate, QWidget* pParent);

// The printing-progress box: the document, the printer, where the output
// goes, the page being printed, and Cancel, which ends the job after the
// page under way.
class CPrintingDialog : public QDialog {
public:
    explicit CPrintingDialog(QWidget* pParent);

    void SetDocName(const QString& text);
    void SetPrinterName(const QString& text);
    void SetPortName(const QString& text);
    void SetPage(UINT nPage);

    bool IsCancelled() const { return m_bCancelled; }
    QPushButton* CancelButton() const { return m_pCancel; }
    QLabel* Item(int id) const;

protected:
    void reject() override;

private:
    void SetItemText(int id, const QString& text);

    bool m_bCancelled = false;
    QPushButton* m_pCancel = nullptr;
};

#endif
