#include "printdlgs.h"

#include "strings_table.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The two templates as the resource script gives them.
AfxPrintDlgTemplate MakePrintingTemplate()
{
    AfxPrintDlgTemplate t{133, 95, {}};
    t.items = {
        {-1, false, 0, 9, 133, 8, U("印刷中")},
        {AFX_IDC_PRINT_DOCNAME, false, 0, 19, 133, 8, QString()},
        {-1, false, 0, 29, 133, 8, U("を")},
        {AFX_IDC_PRINT_PRINTERNAME, false, 0, 39, 133, 8, QString()},
        {AFX_IDC_PRINT_PORTNAME, false, 0, 49, 133, 8, QString()},
        {AFX_IDC_PRINT_PAGENUM, false, 0, 59, 133, 8, QString()},
        {IDCANCEL, true, 46, 74, 40, 14, U("ｷｬﾝｾﾙ")},
    };
    return t;
}

AfxPrintDlgTemplate MakePreviewBarTemplate()
{
    AfxPrintDlgTemplate t{330, 16, {}};
    const struct {
        UINT id;
        const char* text;
    } buttons[] = {
        {AFX_ID_PREVIEW_PRINT, "印刷(&P)..."},  {AFX_ID_PREVIEW_NEXT, "次ﾍﾟｰｼﾞ(&N)"},
        {AFX_ID_PREVIEW_PREV, "前ﾍﾟｰｼﾞ(&V)"},   {AFX_ID_PREVIEW_NUMPAGE, ""},
        {AFX_ID_PREVIEW_ZOOMIN, "拡大(&I)"},    {AFX_ID_PREVIEW_ZOOMOUT, "縮小(&O)"},
        {AFX_ID_PREVIEW_CLOSE, "閉じる(&C)"},
    };
    short x = 2;
    for (const auto& b : buttons) {
        t.items.push_back({static_cast<int>(b.id), true, x, 2, 44, 12, U(b.text)});
        x = static_cast<short>(x + 46);
    }
    return t;
}

}  // namespace

const AfxPrintDlgTemplate& AfxPrintDialogTemplate(UINT nID)
{
    static const AfxPrintDlgTemplate printing = MakePrintingTemplate();
    static const AfxPrintDlgTemplate bar = MakePreviewBarTemplate();
    return nID == AFX_IDD_PREVIEW_TOOLBAR ? bar : printing;
}

QFont AfxDialogFont()
{
    // "MS Shell Dlg" at 8 points: the application's Japanese dialog face.
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

QRect AfxDialogUnitsToPixels(const QFont& font, int x, int y, int cx, int cy)
{
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    const int baseY = metrics.height();
    auto px = [baseX](int v) { return (v * baseX + 2) / 4; };
    auto py = [baseY](int v) { return (v * baseY + 4) / 8; };
    return QRect(px(x), py(y), px(cx), py(cy));
}

CPrintingDialog::CPrintingDialog(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    // A caption without a title, no system menu, and modal for the whole
    // program while the job runs.
    setWindowModality(Qt::ApplicationModal);
    setObjectName(QStringLiteral("AfxPrintingDialog"));
    const QFont font = AfxDialogFont();
    setFont(font);
    const AfxPrintDlgTemplate& t = AfxPrintDialogTemplate(AFX_IDD_PRINTDLG);
    setFixedSize(AfxDialogUnitsToPixels(font, 0, 0, t.cx, t.cy).size());
    for (const AfxPrintDlgItem& item : t.items) {
        QWidget* w;
        if (item.bButton) {
            m_pCancel = new QPushButton(item.text, this);
            connect(m_pCancel, &QPushButton::clicked, this, &CPrintingDialog::reject);
            w = m_pCancel;
        } else {
            auto* label = new QLabel(item.text, this);
            label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
            label->setTextFormat(Qt::PlainText);
            if (item.id != -1)
                label->setObjectName(QString::number(item.id));
            w = label;
        }
        w->setGeometry(AfxDialogUnitsToPixels(font, item.x, item.y, item.cx, item.cy));
        w->setAccessibleName(item.text);
        // The box has no title; its first line names it.
        if (accessibleName().isEmpty())
            setAccessibleName(item.text);
    }
}

QLabel* CPrintingDialog::Item(int id) const
{
    return findChild<QLabel*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CPrintingDialog::SetDocName(const QString& text)
{
    Item(AFX_IDC_PRINT_DOCNAME)->setText(text);
    Item(AFX_IDC_PRINT_DOCNAME)->setAccessibleName(text);
}

void CPrintingDialog::SetPrinterName(const QString& text)
{
    Item(AFX_IDC_PRINT_PRINTERNAME)->setText(text);
    Item(AFX_IDC_PRINT_PRINTERNAME)->setAccessibleName(text);
}

void CPrintingDialog::SetPortName(const QString& text)
{
    Item(AFX_IDC_PRINT_PORTNAME)->setText(text);
    Item(AFX_IDC_PRINT_PORTNAME)->setAccessibleName(text);
}

void CPrintingDialog::SetPage(UINT nPage)
{
    QString text = QString::fromStdString(AfxLoadString(AFX_IDS_PRINTPAGENUM));
    text.replace(QStringLiteral("%u"), QString::number(nPage));
    Item(AFX_IDC_PRINT_PAGENUM)->setText(text);
    Item(AFX_IDC_PRINT_PAGENUM)->setAccessibleName(text);
}

void CPrintingDialog::reject()
{
    // Esc, Cancel and the window's close only ask the job to stop; the job
    // takes the box away when it has stopped.
    m_bCancelled = true;
    if (m_pCancel != nullptr)
        m_pCancel->setEnabled(false);
}
