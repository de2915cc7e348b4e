// The framework's std::string texts as Qt's: the resources' texts and what
// the framework makes of them are UTF-8; file names are in the local
// encoding, as the C library has them. A file name shown to the user goes
// through AfxDisplayName (filename.h) first: on POSIX it is bytes that need
// not be UTF-8.
#ifndef RUVOK_QSTRINGS_H
#define RUVOK_QSTRINGS_H

#include <QString>

#include <string>

inline QString AfxQText(const std::string& s)
{
    return QString::fromStdString(s);
}

inline QString AfxQFileName(const std::string& s)
{
    return QString::fromLocal8Bit(s.c_str());
}

#endif
