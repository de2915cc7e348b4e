// Whether the program runs from where it is installed (see shellreg.h); the
// entries themselves are written in shellreg_xdg.cpp or shellreg_win.cpp.
#include "shellreg.h"

#include <QDir>
#include <QFileInfo>

bool AfxIsInstalledProgram(const std::string& programPath, const std::string& appName)
{
    const QFileInfo program(QString::fromStdString(programPath));
    QDir dir = program.absoluteDir();
    if (dir.dirName() != QStringLiteral("bin") || !dir.cdUp())
        return false;
    return QFileInfo::exists(dir.filePath(QStringLiteral("share/applications/")
                                          + QString::fromStdString(appName)
                                          + QStringLiteral(".desktop")));
}
