// Accelerator tables against Qt's key events (see accelerators.h).
#include "accelerators.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace {

int QtKeyFromVirtualKey(WORD vk)
{
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return vk;  // Qt::Key_0.. and Qt::Key_A.. have the same codes
    if (vk >= 0x70 && vk <= 0x87)
        return Qt::Key_F1 + (vk - 0x70);
    switch (vk) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0D: return Qt::Key_Return;
    case 0x1B: return Qt::Key_Escape;
    case 0x20: return Qt::Key_Space;
    case 0x21: return Qt::Key_PageUp;
    case 0x22: return Qt::Key_PageDown;
    case 0x23: return Qt::Key_End;
    case 0x24: return Qt::Key_Home;
    case 0x25: return Qt::Key_Left;
    case 0x26: return Qt::Key_Up;
    case 0x27: return Qt::Key_Right;
    case 0x28: return Qt::Key_Down;
    case 0x2D: return Qt::Key_Insert;
    case 0x2E: return Qt::Key_Delete;
    default: return 0;
    }
}

Qt::KeyboardModifiers ModifiersOf(const AfxAccel& a)
{
    Qt::KeyboardModifiers mods;
    if (a.fVirt & FSHIFT)
        mods |= Qt::ShiftModifier;
    if (a.fVirt & FCONTROL)
        mods |= Qt::ControlModifier;
    if (a.fVirt & FALT)
        mods |= Qt::AltModifier;
    return mods;
}

}  // namespace

UINT AfxTranslateAccelerator(const std::vector<AfxAccel>& table, const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    int key = event.key();
    if (key == Qt::Key_Backtab)
        key = Qt::Key_Tab;  // Shift+Tab arrives under a name of its own
    for (const AfxAccel& a : table) {
        if ((a.fVirt & FVIRTKEY) == 0)
            continue;
        if (QtKeyFromVirtualKey(a.key) == key && key != 0 && ModifiersOf(a) == mods)
            return a.cmd;
    }
    return 0;
}

QKeySequence AfxAcceleratorKeys(const AfxAccel& a)
{
    const int key = QtKeyFromVirtualKey(a.key);
    if (key == 0 || (a.fVirt & FVIRTKEY) == 0)
        return QKeySequence();
    return QKeySequence(QKeyCombination(ModifiersOf(a), static_cast<Qt::Key>(key)));
}
