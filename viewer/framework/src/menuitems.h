// Menu items as the resources write them: "label\tkeys", with "&" before a
// mnemonic. Kept apart from the frame, which builds its menus with them, so
// that whatever fills a menu (the recent-file list) needs nothing else.
#ifndef RUVOK_MENUITEMS_H
#define RUVOK_MENUITEMS_H

#include "afx.h"

#include <string>

class QAction;
class QMenu;
class QString;

// A menu text as a screen reader should say it: without the mnemonic, be it
// "&X" inside the word or "(&X)" after it.
std::string AfxStripMnemonic(const std::string& text);

// A new item of command nID in pMenu before pBefore (at the end for NULL),
// its text as the menu resource gives it ("label\tkeys"). The frame runs the
// command of every item in its menus.
QAction* AfxInsertMenuItem(QMenu* pMenu, QAction* pBefore, UINT nID, const std::string& text);

// Sets an item's text: the label, and the keys after "\t" in the menu's
// shortcut column, where Qt draws them and screen readers read them apart.
void AfxSetMenuItemText(QAction* pAction, const QString& text);

#endif
