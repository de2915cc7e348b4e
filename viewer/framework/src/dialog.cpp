// CDialog: a modal dialog box built from a dialog template (see dialog.h).
#include "dialog.h"

#include "appstate.h"
#include "font.h"
#include "qstrings.h"
#include "resources.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

namespace {

constexpr int kDialogDpi = 96;
constexpr int kIconSize = 32;  // a static icon takes the icon's own size

int MulDiv(int number, int numerator, int denominator)
{
    return static_cast<int>(std::lround(static_cast<double>(number) * numerator / denominator));
}

// "&N" marks a mnemonic, "&&" is a literal "&".
QString WithoutMnemonics(const QString& text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        else if (text[i] == QLatin1Char('&'))
            continue;
        out += text[i];
    }
    return out;
}

bool HasMnemonic(const QString& text)
{
    return WithoutMnemonics(text).size() != text.size() &&
           !text.contains(QLatin1String("&&"));
}

}  // namespace

// The Qt dialog behind a CDialog. Esc and the caption's close button reach the
// dialog as IDCANCEL, so its map decides, as on Windows.
class DialogWidget : public QDialog {
public:
    DialogWidget(CDialog* pDlg, QWidget* pParent) : QDialog(pParent), m_pDlg(pDlg) {}

    void reject() override { m_pDlg->SendMessage(WM_COMMAND, static_cast<WPARAM>(IDCANCEL)); }

private:
    CDialog* m_pDlg;
};

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog() = default;

int CDialog::DoModal()
{
    AfxDialogTemplate tmpl;
    if (!AfxLoadDialogTemplate(m_nIDHelp, tmpl))
        return -1;
    CWnd* pParent = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    if (pParent != nullptr && pParent->GetWidget() == nullptr)
        pParent = nullptr;
    // Made hidden; the modal loop shows it, centred on its owner.
    RECT none;
    if (!Create(nullptr, tmpl.caption.c_str(), tmpl.style & ~WS_VISIBLE, none, pParent, 0))
        return -1;
    QDialog* pDialog = static_cast<QDialog*>(GetWidget());
    if (!OnInitDialog()) {
        DestroyWindow();
        return -1;
    }
    pDialog->setModal(true);
    const int nResult = pDialog->exec();
    DestroyWindow();
    return nResult;
}

void CDialog::EndDialog(int nResult)
{
    if (QDialog* pDialog = qobject_cast<QDialog*>(GetWidget()))
        pDialog->done(nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

QWidget* CDialog::GetDlgItemWidget(int nID) const
{
    QWidget* pDialog = GetWidget();
    if (pDialog == nullptr)
        return nullptr;
    for (QWidget* pChild : pDialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (pChild->property("ruvokDlgCtrlID").toInt() == nID)
            return pChild;
    }
    return nullptr;
}

QWidget* CDialog::CreateWidget(const CREATESTRUCT&, QWidget* pParent)
{
    AfxDialogTemplate tmpl;
    if (!AfxLoadDialogTemplate(m_nIDHelp, tmpl))
        return nullptr;

    DialogWidget* pDialog = new DialogWidget(this, pParent);
    QFont font = (tmpl.style & DS_SETFONT) != 0
                     ? AfxCreateDialogFont(tmpl.faceName, tmpl.wPointSize)
                     : QFont(FontFromHandle(nullptr));
    pDialog->setFont(font);
    const AfxDialogBaseUnits units = AfxGetDialogBaseUnits(font);

    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint;
    if ((tmpl.style & WS_CAPTION) == WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if ((tmpl.style & WS_SYSMENU) != 0)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    pDialog->setWindowFlags(flags);
    pDialog->setWindowTitle(AfxQText(tmpl.caption));
    pDialog->setAccessibleName(AfxQText(tmpl.caption));
    const RECT client = AfxMapDialogRect(units, 0, 0, tmpl.cx, tmpl.cy);
    pDialog->setFixedSize(client.right, client.bottom);

    QList<QLabel*> mnemonicLabels;
    QString lastLabelName;
    QButtonGroup* pRadioGroup = nullptr;
    for (const AfxDlgItemTemplate& item : tmpl.items) {
        const RECT r = AfxMapDialogRect(units, item.x, item.y, item.cx, item.cy);
        const QRect rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
        const QString text = AfxQText(item.text);
        const QString plain = WithoutMnemonics(text);
        QWidget* pControl = nullptr;
        if (item.className == "Static") {
            QLabel* pLabel = new QLabel(pDialog);
            if ((item.style & SS_TYPEMASK) == SS_ICON) {
                // Named after the title that shares the icon's id.
                QIcon icon = AfxLoadIconGroup(static_cast<UINT>(item.nTextResource));
                pLabel->setPixmap(icon.pixmap(kIconSize, kIconSize));
                pLabel->setGeometry(rect.x(), rect.y(), kIconSize, kIconSize);
                std::string name;
                AfxExtractSubString(name, AfxLoadString(static_cast<UINT>(item.nTextResource)), 0);
                pLabel->setAccessibleName(AfxQText(name));
            } else {
                pLabel->setTextFormat(Qt::PlainText);
                const bool noPrefix = (item.style & SS_NOPREFIX) != 0;
                pLabel->setText(noPrefix ? text : plain);
                if (!noPrefix && HasMnemonic(text)) {
                    pLabel->setText(text);
                    mnemonicLabels.push_back(pLabel);
                }
                pLabel->setAccessibleName(noPrefix ? text : plain);
                Qt::Alignment align = Qt::AlignTop;
                switch (item.style & SS_TYPEMASK) {
                case SS_CENTER: align |= Qt::AlignHCenter; break;
                case SS_RIGHT: align |= Qt::AlignRight; break;
                default: align |= Qt::AlignLeft; break;
                }
                pLabel->setAlignment(align);
                pLabel->setGeometry(rect);
            }
            pControl = pLabel;
        } else if (item.className == "Button" && (item.style & BS_TYPEMASK) == BS_GROUPBOX) {
            QGroupBox* pGroup = new QGroupBox(plain, pDialog);
            pGroup->setAccessibleName(plain);
            pGroup->setGeometry(rect);
            pGroup->lower();  // a frame behind the controls it holds
            pControl = pGroup;
        } else if (item.className == "Button"
                   && (item.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
            QRadioButton* pRadio = new QRadioButton(text, pDialog);
            pRadio->setAccessibleName(plain);
            // WS_GROUP starts a new set of buttons of which one is on.
            if (pRadioGroup == nullptr || (item.style & WS_GROUP) != 0)
                pRadioGroup = new QButtonGroup(pDialog);
            pRadioGroup->addButton(pRadio);
            pRadio->setGeometry(rect);
            pControl = pRadio;
        } else if (item.className == "Button") {
            QPushButton* pButton = new QPushButton(text, pDialog);
            pButton->setAccessibleName(plain);
            pButton->setDefault((item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
            const int nID = item.id;
            QObject::connect(pButton, &QPushButton::clicked, pDialog, [this, nID] {
                SendMessage(WM_COMMAND, static_cast<WPARAM>(nID & 0xFFFF));
            });
            pButton->setGeometry(rect);
            pControl = pButton;
        } else if (item.className == "ComboBox") {
            // The template's height is the dropped-down list's: the box
            // itself is one line high.
            QComboBox* pCombo = new QComboBox(pDialog);
            if (!text.isEmpty())
                pCombo->addItems(text.split(QLatin1Char('\n')));
            pCombo->setGeometry(rect.x(), rect.y(), rect.width(),
                                std::min(rect.height(), pCombo->sizeHint().height()));
            pControl = pCombo;
        } else if (item.className == "ListBox") {
            QListWidget* pList = new QListWidget(pDialog);
            pList->setVerticalScrollBarPolicy((item.style & WS_VSCROLL) != 0 ? Qt::ScrollBarAsNeeded
                                                                             : Qt::ScrollBarAlwaysOff);
            pList->setGeometry(rect);
            pControl = pList;
        } else {
            QLineEdit* pEdit = new QLineEdit(text, pDialog);
            pEdit->setGeometry(rect);
            pControl = pEdit;
        }
        pControl->setProperty("ruvokDlgCtrlID", item.id);
        // A control without text of its own is named by the static before it.
        if (item.className == "Static" && !plain.isEmpty())
            lastLabelName = pControl->accessibleName();
        else if (item.className != "Static" && pControl->accessibleName().isEmpty())
            pControl->setAccessibleName(lastLabelName);
        if ((item.style & WS_TABSTOP) == 0 && item.className != "Static")
            pControl->setFocusPolicy(Qt::ClickFocus);
        if ((item.style & WS_VISIBLE) == 0)
            pControl->hide();
    }
    // A mnemonic on a static moves the focus to the control after it.
    const QList<QWidget*> controls = pDialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QLabel* pLabel : mnemonicLabels) {
        for (qsizetype i = controls.indexOf(pLabel) + 1; i < controls.size(); ++i) {
            if (controls[i]->focusPolicy() != Qt::NoFocus) {
                pLabel->setBuddy(controls[i]);
                break;
            }
        }
        if (pLabel->buddy() == nullptr)
            pLabel->setText(WithoutMnemonics(pLabel->text()));
    }
    return pDialog;
}

// ---------------------------------------------------------------------------

QFont AfxCreateDialogFont(const std::string& faceName, WORD wPointSize)
{
    const QString face = AfxQText(faceName);
    QString family = face;
    if (!QFontDatabase::hasFamily(face)) {
        const bool mincho = face.contains(QStringLiteral("明朝")) ||
                            face.contains(QLatin1String("Mincho"), Qt::CaseInsensitive);
        // Full-width "Ｐ" (or a Latin "P" before the kind), the UI faces and
        // the Windows shell's dialog faces are proportional.
        const bool proportional = face.contains(QChar(0xFF30)) ||
                                  face.contains(QLatin1String("PGothic"), Qt::CaseInsensitive) ||
                                  face.contains(QLatin1String("PMincho"), Qt::CaseInsensitive) ||
                                  face.contains(QLatin1String("UI Gothic"), Qt::CaseInsensitive) ||
                                  face.startsWith(QLatin1String("MS Shell Dlg")) ||
                                  face == QLatin1String("MS Sans Serif") ||
                                  face == QLatin1String("System");
        static const char* const kCandidates[2][2][4] = {
            // gothic: fixed, proportional
            {{"IPAGothic", "VL Gothic", "TakaoGothic", "Noto Sans Mono CJK JP"},
             {"IPAPGothic", "IPAexGothic", "VL PGothic", "Noto Sans CJK JP"}},
            // mincho: fixed, proportional
            {{"IPAMincho", "TakaoMincho", "Noto Serif CJK JP", "IPAGothic"},
             {"IPAPMincho", "IPAexMincho", "Noto Serif CJK JP", "IPAPGothic"}},
        };
        family.clear();
        for (const char* candidate : kCandidates[mincho ? 1 : 0][proportional ? 1 : 0]) {
            if (QFontDatabase::hasFamily(QLatin1String(candidate))) {
                family = QLatin1String(candidate);
                break;
            }
        }
    }
    QFont font;
    if (!family.isEmpty())
        font.setFamily(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(MulDiv(wPointSize > 0 ? wPointSize : 9, kDialogDpi, 72));
    return font;
}

AfxDialogBaseUnits AfxGetDialogBaseUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    AfxDialogBaseUnits units;
    units.cx = (letters / 26 + 1) / 2;
    units.cy = fm.height();
    return units;
}

RECT AfxMapDialogRect(const AfxDialogBaseUnits& units, int x, int y, int cx, int cy)
{
    RECT r;
    r.left = MulDiv(x, units.cx, 4);
    r.top = MulDiv(y, units.cy, 8);
    // Sizes are mapped on their own, as the window system creates controls.
    r.right = r.left + MulDiv(cx, units.cx, 4);
    r.bottom = r.top + MulDiv(cy, units.cy, 8);
    return r;
}
