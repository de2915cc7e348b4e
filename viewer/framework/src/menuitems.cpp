// Menu items as the resources write them (see menuitems.h).
#include "menuitems.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

// A menu item's text is its label, then after "\t" the keys that stand for
// it. Qt draws the keys of an action's shortcut in that column and gives them
// to screen readers apart from the label, so the keys go there. The frame
// translates the keys itself: tied to the widget, the shortcut is live only
// while the menu bar holds the keyboard (after Alt), and then runs the same
// command. Keys Qt would spell otherwise stay in the text.
void AfxSetMenuItemText(QAction* pAction, const QString& text)
{
    const qsizetype tab = text.indexOf(u'\t');
    if (tab >= 0) {
        const QString keysText = text.mid(tab + 1);
        const QKeySequence keys = QKeySequence::fromString(keysText, QKeySequence::PortableText);
        if (!keys.isEmpty() && keys.toString(QKeySequence::NativeText) == keysText) {
            pAction->setShortcutContext(Qt::WidgetShortcut);
            pAction->setShortcut(keys);
            pAction->setText(text.left(tab));
            return;
        }
    }
    pAction->setShortcut(QKeySequence());
    pAction->setText(text);
}

QAction* AfxInsertMenuItem(QMenu* pMenu, QAction* pBefore, UINT nID, const std::string& text)
{
    auto* pAction = new QAction(pMenu);
    AfxSetMenuItemText(pAction, QString::fromStdString(text));
    pAction->setData(nID);
    pMenu->insertAction(pBefore, pAction);
    return pAction;
}

std::string AfxStripMnemonic(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "(&") == 0 && i + 3 < text.size() && text[i + 3] == ')') {
            i += 3;
            continue;
        }
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') {
            out += '&';
            ++i;
            continue;
        }
        if (text[i] != '&')
            out += text[i];
    }
    return out;
}
