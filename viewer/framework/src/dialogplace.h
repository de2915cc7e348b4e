// Where the framework's dialogs and message boxes stand: over the window
// they belong to, and within that window's screen whatever the scale, so
// that every button can be reached. The file, print and message dialogs use
// these; so can any dialog the framework builds.
#ifndef RUVOK_DIALOGPLACE_H
#define RUVOK_DIALOGPLACE_H

class QWidget;

// The window a dialog or message box belongs to: the program's modal dialog
// up now, else its active window, else the main window; NULL when the
// program has no window at all. Unlike the active window alone, this holds
// right after another dialog closed, after a drop from another program and
// for a request from a second start, while no window of ours is active.
QWidget* AfxGetDialogOwner();

// Makes pDialog no larger than the space its owner's screen has for it (the
// screen less its panels and the window manager's frame), and, once it is
// shown, moves it onto that screen where it would stand partly off it. Call
// before showing it, after its size is set.
void AfxFitDialogToScreen(QWidget* pDialog);

#endif
