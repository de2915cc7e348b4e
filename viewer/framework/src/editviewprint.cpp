// CEditView's printing: the text as LockBuffer gives it, decoded as the
// screen decodes it, laid out in the view's font at the printer's
// resolution, wrapped to the printable width and cut into pages by lines.
#include "editview.h"

#include "cp932text.h"
#include "dc.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// A run of letters without a break opportunity longer than this wraps
// anywhere, as on screen (word wrapping would be quadratic in it).
constexpr qsizetype kLongestWrappableWord = 2048;

bool HasOverlongWord(QStringView text)
{
    qsizetype run = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u' ' || c == u'\t' || c >= 0x2E80)
            run = 0;
        else if (++run > kLongestWrappableWord)
            return true;
    }
    return false;
}

}  // namespace

class EditPrintLayout {
public:
    EditPrintLayout(QString text, const QFont& font, qreal tabStop, QPaintDevice* pDevice)
        : m_font(font, pDevice), m_pDevice(pDevice)
    {
        m_lines = text.split(QLatin1Char('\n'));
        // The empty line after the last line end holds nothing to print,
        // and would cost a blank sheet when the lines before fill a page.
        if (m_lines.size() > 1 && m_lines.back().isEmpty())
            m_lines.removeLast();
        m_option.setTabStopDistance(tabStop);
        m_lineSpacing = QFontMetricsF(m_font, m_pDevice).lineSpacing();
    }

    // Cuts the lines into pages of the given size, in device pixels.
    void Paginate(int width, int height)
    {
        m_width = std::max(1, width);
        m_linesPerPage = std::max(1, static_cast<int>(std::floor(height / m_lineSpacing)));
        m_pages.clear();
        int onPage = m_linesPerPage;  // a full page before the first
        for (int line = 0; line < m_lines.size(); ++line) {
            const int rows = Rows(line);
            for (int row = 0; row < rows; ++row) {
                if (onPage == m_linesPerPage) {
                    m_pages.push_back({line, row});
                    onPage = 0;
                }
                ++onPage;
            }
        }
        if (m_pages.empty())
            m_pages.push_back({0, 0});
    }

    UINT PageCount() const { return static_cast<UINT>(m_pages.size()); }

    void DrawPage(QPainter& painter, UINT nPage)
    {
        if (nPage < 1 || nPage > PageCount())
            return;
        const PageStart start = m_pages[nPage - 1];
        int drawn = 0;
        qreal y = 0;
        for (int line = start.line; line < m_lines.size() && drawn < m_linesPerPage; ++line) {
            QTextLayout& layout = LaidOut(line);
            for (int row = line == start.line ? start.row : 0;
                 row < layout.lineCount() && drawn < m_linesPerPage; ++row) {
                QTextLine tl = layout.lineAt(row);
                tl.setPosition(QPointF(0, 0));
                tl.draw(&painter, QPointF(0, y));
                y += m_lineSpacing;
                ++drawn;
            }
        }
    }

private:
    struct PageStart {
        int line;
        int row;
    };

    void LayOut(int line, QTextLayout& layout)
    {
        const QString& text = m_lines[line];
        QTextOption option = m_option;
        option.setWrapMode(HasOverlongWord(text) ? QTextOption::WrapAnywhere
                                                 : QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setText(text);
        layout.setFont(m_font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (;;) {
            QTextLine tl = layout.createLine();
            if (!tl.isValid())
                break;
            tl.setLineWidth(m_width);
        }
        layout.endLayout();
    }

    // The layout of a line, kept while pages go on drawing it: a long line
    // runs over many pages, and laying it out again for each would cost as
    // much as the whole line each time.
    QTextLayout& LaidOut(int line)
    {
        if (m_cachedLine != line) {
            m_cached = std::make_unique<QTextLayout>();
            LayOut(line, *m_cached);
            m_cachedLine = line;
        }
        return *m_cached;
    }

    // How many printed rows a line takes.
    int Rows(int line)
    {
        QTextLayout layout;
        LayOut(line, layout);
        return std::max(1, layout.lineCount());
    }

    QStringList m_lines;
    QFont m_font;  // resolved for the printer, so widths are the page's
    QPaintDevice* m_pDevice;
    QTextOption m_option;
    qreal m_lineSpacing = 1;
    int m_width = 1;
    int m_linesPerPage = 1;
    std::vector<PageStart> m_pages;
    std::unique_ptr<QTextLayout> m_cached;
    int m_cachedLine = -1;
};

void CEditView::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    CView::OnBeginPrinting(pDC, pInfo);
    delete m_pPrintLayout;
    m_pPrintLayout = nullptr;
    QPrinter* pPrinter = pDC->GetPrinter();
    if (pPrinter == nullptr)
        return;

    const QString text = cp932::DecodeLines(LockBuffer(), GetBufferLength()).text;
    UnlockBuffer();

    // The view's font at the same size on paper as on screen.
    QWidget* pWidget = GetWidget();
    QFont font = pWidget != nullptr ? pWidget->font() : QFont();
    const int screenDpi = pWidget != nullptr ? pWidget->logicalDpiY() : 96;
    if (font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / screenDpi);
    // Tab stops as many average characters apart as on screen.
    qreal tabChars = 8;
    if (auto* pEdit = qobject_cast<QPlainTextEdit*>(pWidget)) {
        const qreal screenChar = QFontMetricsF(pEdit->font()).horizontalAdvance(QLatin1Char('0'));
        if (screenChar > 0 && pEdit->tabStopDistance() > 0)
            tabChars = pEdit->tabStopDistance() / screenChar;
    }
    // Text layout takes tab distances at the screen's resolution and scales
    // them to the device's itself.
    const qreal logicalChar = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));

    m_pPrintLayout = new EditPrintLayout(text, font, tabChars * logicalChar, pPrinter);
    m_pPrintLayout->Paginate(pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
    pInfo->SetMaxPage(m_pPrintLayout->PageCount());
}

void CEditView::OnPrint(CDC* pDC, CPrintInfo* pInfo)
{
    QPainter* pPainter = pDC->GetPainter();
    if (m_pPrintLayout == nullptr || pPainter == nullptr)
        return;
    m_pPrintLayout->DrawPage(*pPainter, pInfo->m_nCurPage);
}

void CEditView::OnEndPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    delete m_pPrintLayout;
    m_pPrintLayout = nullptr;
    CView::OnEndPrinting(pDC, pInfo);
}
