// The application's widget style: the platform's own, except that the few
// images it reads from files are read as the PNG files they are, and that a
// lone Alt takes the keyboard to the menu bar.
#ifndef RUVOK_APPSTYLE_H
#define RUVOK_APPSTYLE_H

// Sets the style on the running application.
void AfxInstallAppStyle();

#endif
