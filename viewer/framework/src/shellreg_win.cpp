// Shell registration on Windows: the file type's registry entries, in the
// user's classes (what HKEY_CLASSES_ROOT shows for this user).
#include "shellreg.h"

#include "qstrings.h"

#include <QSettings>
#include <QString>

#include <vector>

// From the Windows API, declared here: <windows.h> would clash with the
// framework's own Windows types.
extern "C" __declspec(dllimport) unsigned long __stdcall GetShortPathNameW(
    const wchar_t* lpszLongPath, wchar_t* lpszShortPath, unsigned long cchBuffer);

namespace {

constexpr unsigned long kMaxPath = 260;

const QString kClasses = QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes");

// The program's path as the shell's commands give it: the short form,
// which holds no blanks.
QString ShortPath(const std::string& path)
{
    const std::wstring wide = AfxQFileName(path).toStdWString();
    wchar_t buf[kMaxPath];
    const unsigned long n = ::GetShortPathNameW(wide.c_str(), buf, kMaxPath);
    if (n == 0 || n >= kMaxPath)
        return AfxQFileName(path);
    return QString::fromWCharArray(buf, static_cast<int>(n));
}

struct Entry {
    QString key;    // below the classes, "\\" separated; "." for the default value
    QString value;
};

std::vector<Entry> Entries(const AfxShellType& type, bool bCompat)
{
    const QString id = AfxQText(type.fileTypeId);
    const QString program = ShortPath(type.programPath);
    std::vector<Entry> e;
    e.push_back({id + QStringLiteral("/."), AfxQText(type.fileTypeName)});
    e.push_back({id + QStringLiteral("/shell/open/command/."),
                 program + QStringLiteral(" \"%1\"")});
    if (bCompat) {
        e.push_back({id + QStringLiteral("/DefaultIcon/."), program + QStringLiteral(",1")});
        e.push_back({id + QStringLiteral("/shell/print/command/."),
                     program + QStringLiteral(" /p \"%1\"")});
        e.push_back({id + QStringLiteral("/shell/printto/command/."),
                     program + QStringLiteral(" /pt \"%1\" \"%2\" \"%3\" \"%4\"")});
    }
    return e;
}

}  // namespace

void AfxRegisterShellFileType(const AfxShellType& type, BOOL bCompat)
{
    QSettings classes(kClasses, QSettings::NativeFormat);
    for (const Entry& e : Entries(type, bCompat)) {
        if (classes.value(e.key).toString() != e.value)
            classes.setValue(e.key, e.value);
    }
    // The extension is taken only when it has no type, or this one already.
    const QString ext = AfxQText(type.filterExt);
    const QString id = AfxQText(type.fileTypeId);
    if (!ext.isEmpty()) {
        QSettings root(QStringLiteral("HKEY_CLASSES_ROOT"), QSettings::NativeFormat);
        const QString current = root.value(ext + QStringLiteral("/.")).toString();
        if (current.isEmpty() || current == id) {
            classes.setValue(ext + QStringLiteral("/."), id);
            if (bCompat)
                classes.setValue(ext + QStringLiteral("/ShellNew/NullFile"), QString());
        }
    }
    classes.sync();
}

BOOL AfxUnregisterShellFileType(const AfxShellType& type)
{
    QSettings classes(kClasses, QSettings::NativeFormat);
    const QString id = AfxQText(type.fileTypeId);
    const QString ext = AfxQText(type.filterExt);
    // The extension goes only while it still names this type.
    if (!ext.isEmpty() && classes.value(ext + QStringLiteral("/.")).toString() == id) {
        classes.remove(ext + QStringLiteral("/ShellNew"));
        classes.remove(ext + QStringLiteral("/."));
        classes.beginGroup(ext);
        const bool empty = classes.allKeys().isEmpty();
        classes.endGroup();
        if (empty)
            classes.remove(ext);
    }
    classes.remove(id);
    classes.sync();
    return classes.status() == QSettings::NoError && !classes.childGroups().contains(id);
}
