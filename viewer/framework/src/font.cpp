// CFont and the stock fonts, as Qt fonts.
#include "font.h"

#include <QApplication>
#include <QFont>

namespace {

// A font handle points at one of these; stock fonts live as long as the
// program.
struct FontObject {
    QFont font;
};

FontObject* MakeSystemFixedFont()
{
    // The Japanese system fixed font: 16 pixels high, half-width cells of
    // 8 pixels, full-width characters two cells.
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(16);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    font.setKerning(false);
    return new FontObject{font};
}

FontObject* MakeVariableFont()
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    return new FontObject{font};
}

}  // namespace

HGDIOBJ GetStockObject(int nIndex)
{
    switch (nIndex) {
    case SYSTEM_FIXED_FONT:
    case ANSI_FIXED_FONT: {
        static FontObject* fixed = MakeSystemFixedFont();
        return fixed;
    }
    case SYSTEM_FONT:
    case ANSI_VAR_FONT:
    case DEFAULT_GUI_FONT: {
        static FontObject* variable = MakeVariableFont();
        return variable;
    }
    default:
        return nullptr;
    }
}

QFont FontFromHandle(HFONT hFont)
{
    if (hFont == nullptr)
        return QApplication::font();
    return reinterpret_cast<const FontObject*>(hFont)->font;
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (hObject == nullptr)
        return FALSE;
    m_hObject = hObject;
    return TRUE;
}

BOOL CGdiObject::CreateStockObject(int nIndex)
{
    return Attach(GetStockObject(nIndex));
}

CGdiObject::~CGdiObject() = default;
