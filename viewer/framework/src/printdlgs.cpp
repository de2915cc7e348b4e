// The printing-progress box and the preview bar (see printdlgs.h).
#include "printdlgs.h"

#include "dialog.h"
#include "qstrings.h"
#include "resources.h"
#include "strings_table.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

BOOL AfxCreatePrintTemplateControls(UINT nIDTemplate, QWidget* pParent)
{
    AfxDialogTemplate tmpl;
    if (!AfxLoadDialogTemplate(nIDTemplate, tmpl))
        return FALSE;
    const QFont font = (tmpl.style & DS_SETFONT) != 0
                           ? AfxCreateDialogFont(tmpl.faceName, tmpl.wPointSize)
                           : QApplication::font();
    pParent->setFont(font);
    const AfxDialogBaseUnits units = AfxGetDialogBaseUnits(font);
    const RECT size = AfxMapDialogRect(units, 0, 0, tmpl.cx, tmpl.cy);
    pParent->setProperty("templateSize", QSize(size.right, size.bottom));
    for (const AfxDlgItemTemplate& item : tmpl.items) {
        const RECT r = AfxMapDialogRect(units, item.x, item.y, item.cx, item.cy);
        const QString text = AfxQText(item.text);
        QWidget* w;
        if (item.className == "Button") {
            w = new QPushButton(text, pParent);
            w->setAccessibleName(QString(text).remove(QLatin1Char('&')));
        } else {
            auto* label = new QLabel(text, pParent);
            label->setTextFormat(Qt::PlainText);
            if ((item.style & SS_TYPEMASK) == SS_CENTER)
                label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
            w = label;
            w->setAccessibleName(text);
        }
        if (item.id != -1)
            w->setObjectName(QString::number(item.id));
        w->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    return TRUE;
}

CPrintingDialog::CPrintingDialog(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    // A caption without a title, no system menu, and modal for the whole
    // program while the job runs.
    setWindowModality(Qt::ApplicationModal);
    setObjectName(QStringLiteral("AfxPrintingDialog"));
    AfxCreatePrintTemplateControls(AFX_IDD_PRINTDLG, this);
    setFixedSize(property("templateSize").toSize());
    m_pCancel = findChild<QPushButton*>(QString::number(IDCANCEL), Qt::FindDirectChildrenOnly);
    if (m_pCancel != nullptr)
        connect(m_pCancel, &QPushButton::clicked, this, &CPrintingDialog::reject);
    // The box has no title; its first line names it.
    if (auto* first = findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        setAccessibleName(first->text());
}

QLabel* CPrintingDialog::Item(int id) const
{
    return findChild<QLabel*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CPrintingDialog::SetItemText(int id, const QString& text)
{
    if (QLabel* label = Item(id)) {
        label->setText(text);
        label->setAccessibleName(text);
    }
}

void CPrintingDialog::SetDocName(const QString& text)
{
    SetItemText(AFX_IDC_PRINT_DOCNAME, text);
}

void CPrintingDialog::SetPrinterName(const QString& text)
{
    SetItemText(AFX_IDC_PRINT_PRINTERNAME, text);
}

void CPrintingDialog::SetPortName(const QString& text)
{
    SetItemText(AFX_IDC_PRINT_PORTNAME, text);
}

void CPrintingDialog::SetPage(UINT nPage)
{
    QString text = AfxQText(AfxLoadString(AFX_IDS_PRINTPAGENUM));
    text.replace(QStringLiteral("%u"), QString::number(nPage));
    SetItemText(AFX_IDC_PRINT_PAGENUM, text);
}

void CPrintingDialog::reject()
{
    // Esc, Cancel and the window's close only ask the job to stop; the job
    // takes the box away when it has stopped.
    m_bCancelled = true;
    if (m_pCancel != nullptr)
        m_pCancel->setEnabled(false);
}
