// The application's state that every layer may ask for: the application
// object and its main window. Kept low, so that asking for them needs no
// knowledge of the application's class.
#ifndef RUVOK_APPSTATE_H
#define RUVOK_APPSTATE_H

class CWinApp;
class CWnd;

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// Set by the application object for its lifetime: itself, and the member
// in which it keeps its main window (which changes as the program runs).
void AfxSetAppState(CWinApp* pApp, CWnd* const* ppMainWnd);

#endif
