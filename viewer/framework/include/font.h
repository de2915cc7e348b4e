// Fonts: CFont over the stock objects. SYSTEM_FIXED_FONT is IPAGothic, whose
// full-width characters are exactly two half-width cells.
#ifndef RUVOK_FONT_H
#define RUVOK_FONT_H

#include "afx.h"

struct HFONT__;
typedef HFONT__* HFONT;
typedef HANDLE HGDIOBJ;

constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;
constexpr int SYSTEM_FIXED_FONT = 16;

// A stock object's handle, NULL for an unknown index. Stock objects live
// for the whole program and are never deleted.
HGDIOBJ GetStockObject(int nIndex);

class QFont;
// The Qt font behind a font handle; the application font for NULL.
QFont FontFromHandle(HFONT hFont);

class CGdiObject : public CObject {
public:
    HGDIOBJ m_hObject = nullptr;
    BOOL Attach(HGDIOBJ hObject);
    // Takes a stock object; FALSE for an unknown index.
    BOOL CreateStockObject(int nIndex);
    ~CGdiObject() override;
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

#endif
