// Accelerator tables against Qt's key events: which command a key press
// stands for.
#ifndef RUVOK_ACCELERATORS_H
#define RUVOK_ACCELERATORS_H

#include "strings_table.h"

#include <vector>

class QKeyEvent;
class QKeySequence;

// The command of the first entry that the key press matches exactly (key and
// Shift, Ctrl, Alt); 0 when none does.
UINT AfxTranslateAccelerator(const std::vector<AfxAccel>& table, const QKeyEvent& event);

// The keys of one entry, as Qt names them; empty for a key Qt has no name for.
QKeySequence AfxAcceleratorKeys(const AfxAccel& accel);

#endif
