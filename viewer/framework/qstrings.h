// The framework's std::string texts as Qt's: the resources' texts and what
// the framework makes of them are UTF-8; file names are in the local
// encoding, as the C library has them.
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
