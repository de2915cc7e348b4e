// A home of its own for a test program: HOME and the XDG folders point into
// a fresh temporary folder, removed at exit, so that no test reads or writes
// the real user's settings, desktop entries or sockets. Call before the
// application object runs anything.
#ifndef RUVOK_TESTS_TEST_HOME_H
#define RUVOK_TESTS_TEST_HOME_H

#include <string>

// Points the environment at `root` (made if missing); returns it.
std::string PointHomeAt(const std::string& root);
// A new temporary home, removed when the program ends.
std::string IsolateHome();

#endif
