// Shell registration on freedesktop desktops (see shellreg.h): the desktop
// entry and the icons written, the record of what was written, and the
// default for text files claimed where the user has none (the lists
// themselves are edited in mimeapps.cpp).
#include "shellreg.h"

#include "mimeapps.h"
#include "qstrings.h"
#include "resources.h"

#include <QByteArray>
#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <map>
#include <vector>

namespace {

using mimeapps::DefaultFor;
using mimeapps::WithDefault;
using mimeapps::WithoutAdded;
using mimeapps::WithoutDefault;

const QString kTextPlain = QStringLiteral("text/plain");

QString DataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString ConfigHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString Sha(const QByteArray& bytes)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QByteArray ReadAll(const QString& path, bool* pExists = nullptr)
{
    QFile f(path);
    const bool ok = f.open(QIODevice::ReadOnly);
    if (pExists != nullptr)
        *pExists = ok || QFileInfo::exists(path);
    return ok ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(bytes);
    return f.commit();
}

// What was written, and how it read when it was: one line a file, the
// content's hash and the path; "default" lines for the claimed types, and
// "created" for a list that did not exist before.
struct Manifest {
    QString path;
    std::map<QString, QString> files;  // path -> hash
    std::vector<QString> defaults;     // "<mimeapps.list path>\t<type>"
    std::vector<QString> created;      // lists made here
    bool changed = false;

    explicit Manifest(const std::string& appName)
        : path(DataHome() + QLatin1Char('/') + AfxQText(appName) + QStringLiteral("/shell-entries"))
    {
        const QList<QByteArray> lines = ReadAll(path).split('\n');
        for (const QByteArray& line : lines) {
            const QString text = QString::fromUtf8(line);
            if (text.startsWith(QStringLiteral("file\t"))) {
                const QStringList parts = text.split(QLatin1Char('\t'));
                if (parts.size() == 3)
                    files[parts[2]] = parts[1];
            } else if (text.startsWith(QStringLiteral("default\t"))) {
                defaults.push_back(text.mid(8));
            } else if (text.startsWith(QStringLiteral("created\t"))) {
                created.push_back(text.mid(8));
            }
        }
    }

    // Whether the file at path is ours and as written (or not there at all).
    bool MayWrite(const QString& file, const QByteArray& current, bool exists) const
    {
        if (!exists)
            return true;
        auto it = files.find(file);
        return it != files.end() && it->second == Sha(current);
    }

    bool Save()
    {
        if (!changed)
            return true;
        QByteArray out;
        for (const auto& f : files)
            out += "file\t" + f.second.toUtf8() + '\t' + f.first.toUtf8() + '\n';
        for (const QString& d : defaults)
            out += "default\t" + d.toUtf8() + '\n';
        for (const QString& c : created)
            out += "created\t" + c.toUtf8() + '\n';
        if (files.empty() && defaults.empty() && created.empty()) {
            QFile::remove(path);
            QDir().rmdir(QFileInfo(path).absolutePath());
            return !QFileInfo::exists(path);
        }
        return WriteAll(path, out);
    }
};

// A desktop entry's Exec argument, quoted where needed, then escaped as a
// string value.
QString ExecArg(const QString& arg)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = false;
    for (QChar c : arg)
        quote = quote || reserved.contains(c);
    QString out = arg;
    if (quote) {
        out.clear();
        for (QChar c : arg) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                out += QLatin1Char('\\');
            out += c;
        }
        out = QLatin1Char('"') + out + QLatin1Char('"');
    }
    out.replace(QLatin1Char('%'), QStringLiteral("%%"));
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return out;
}

// A string value: no line breaks inside.
QString Value(const std::string& s)
{
    QString v = AfxQText(s);
    v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    v.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return v;
}

QByteArray DesktopEntry(const AfxShellType& type, bool bCompat)
{
    const QString exec = ExecArg(AfxQFileName(type.programPath));
    QString e;
    e += QStringLiteral("[Desktop Entry]\nType=Application\n");
    e += QStringLiteral("Name=") + Value(type.title) + QLatin1Char('\n');
    e += QStringLiteral("Comment=") + Value(type.fileTypeName) + QLatin1Char('\n');
    e += QStringLiteral("Exec=") + exec + QStringLiteral(" %f\n");
    e += QStringLiteral("Icon=") + Value(type.appName) + QLatin1Char('\n');
    e += QStringLiteral("Terminal=false\n");
    e += QStringLiteral("Categories=Utility;Viewer;TextTools;\n");
    e += QStringLiteral("MimeType=text/plain;\n");
    if (bCompat) {
        e += QStringLiteral("Actions=print;printto;\n");
        e += QStringLiteral("\n[Desktop Action print]\nName=") + Value(type.printName);
        e += QStringLiteral("\nExec=") + exec + QStringLiteral(" /p %f\n");
        e += QStringLiteral("\n[Desktop Action printto]\nName=") + Value(type.printToName);
        e += QStringLiteral("\nExec=") + exec + QStringLiteral(" /pt %f\n");
    }
    return e.toUtf8();
}

// The image of icon group nID at size x size pixels as a PNG file: the
// group's own image of that size, else its largest scaled to it.
QByteArray Png(UINT nID, int size)
{
    QImage image;
    for (const AfxGroupImage& i : AfxLoadIconImages(nID)) {
        if (i.image.width() == size && i.image.height() == size) {
            image = i.image;
            break;
        }
        if (image.isNull() || i.image.width() > image.width())
            image = i.image;
    }
    if (image.isNull())
        return QByteArray();
    if (image.size() != QSize(size, size))
        image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An icon is made from the program's own resources, so a file there written
// since the program was built already holds what it would be made as now
// (or is the user's own, which stays anyway); making it again would load
// Qt's image writers for nothing.
bool WrittenSinceBuilt(const QString& path)
{
    static const QDateTime built =
        QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
    const QFileInfo file(path);
    return built.isValid() && file.exists() && file.lastModified() >= built;
}

bool IsIcon(const QString& path)
{
    return path.endsWith(QStringLiteral(".png"));
}

void MarkCurrent(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
}

QString DesktopFileName(const AfxShellType& type)
{
    return AfxQText(type.appName) + QStringLiteral(".desktop");
}

// The files the registration consists of, with their content.
std::vector<std::pair<QString, QByteArray>> Files(const AfxShellType& type, bool bCompat)
{
    std::vector<std::pair<QString, QByteArray>> files;
    if (type.bInstalled)
        return files;  // the installation's own entry and icons serve
    const QString data = DataHome();
    files.emplace_back(data + QStringLiteral("/applications/") + DesktopFileName(type),
                       DesktopEntry(type, bCompat));
    // icons only where the program has them
    auto addIcon = [&files](const QString& path, UINT nID, int size) {
        if (WrittenSinceBuilt(path))
            return;
        const QByteArray png = Png(nID, size);
        if (!png.isEmpty())
            files.emplace_back(path, png);
    };
    for (int size : {16, 32}) {
        const QString dir = data + QStringLiteral("/icons/hicolor/%1x%1/").arg(size);
        addIcon(dir + QStringLiteral("apps/") + AfxQText(type.appName) + QStringLiteral(".png"),
                type.nIDAppIcon, size);
        if (bCompat)
            addIcon(dir + QStringLiteral("mimetypes/") + AfxQText(type.appName) +
                        QStringLiteral("-document.png"),
                    type.nIDDocIcon, size);
    }
    return files;
}

QString UserMimeApps()
{
    return ConfigHome() + QStringLiteral("/mimeapps.list");
}

// Whether any list the desktop reads names a default for the type already.
bool HasDefault(const QString& mimeType)
{
    QStringList lists;
    QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP")
                               .toLower()
                               .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const QStringList configDirs =
        QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    const QStringList dataDirs =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& dir : configDirs) {
        for (const QString& d : desktops)
            lists << dir + QLatin1Char('/') + d + QStringLiteral("-mimeapps.list");
        lists << dir + QStringLiteral("/mimeapps.list");
    }
    for (const QString& dir : dataDirs) {
        for (const QString& d : desktops)
            lists << dir + QStringLiteral("/applications/") + d + QStringLiteral("-mimeapps.list");
        lists << dir + QStringLiteral("/applications/mimeapps.list")
              << dir + QStringLiteral("/applications/defaults.list");
    }
    for (const QString& list : lists) {
        if (!DefaultFor(ReadAll(list), mimeType).isEmpty())
            return true;
    }
    return false;
}

}  // namespace

void AfxRegisterShellFileType(const AfxShellType& type, BOOL bCompat)
{
    Manifest manifest(type.appName);
    const std::vector<std::pair<QString, QByteArray>> files = Files(type, bCompat);
    for (const auto& file : files) {
        bool exists = false;
        const QByteArray current = ReadAll(file.first, &exists);
        if (exists && current == file.second) {
            // up to date (or the user's identical copy, left theirs); an
            // icon is then marked as current for this build
            if (IsIcon(file.first) && !WrittenSinceBuilt(file.first) &&
                manifest.MayWrite(file.first, current, exists))
                MarkCurrent(file.first);
            continue;
        }
        if (!manifest.MayWrite(file.first, current, exists))
            continue;  // the user's own file, or ours changed by the user
        if (WriteAll(file.first, file.second)) {
            manifest.files[file.first] = Sha(file.second);
            manifest.changed = true;
        }
    }

    // The type's files open here only where the user has no default yet,
    // and only by an entry that is there: the installation's, or the one
    // just written.
    const bool entryThere =
        type.bInstalled || (!files.empty() && ReadAll(files.front().first) == files.front().second);
    const QString entry = DesktopFileName(type);
    const QString mimeApps = UserMimeApps();
    const QString record = mimeApps + QLatin1Char('\t') + kTextPlain;
    bool claimed = false;
    for (const QString& d : manifest.defaults)
        claimed = claimed || d == record || d.startsWith(record + QLatin1Char('\t'));
    if (!claimed && entryThere && !HasDefault(kTextPlain)) {
        bool exists = false;
        const QByteArray list = ReadAll(mimeApps, &exists);
        QStringList added;
        if (WriteAll(mimeApps, WithDefault(list, kTextPlain, entry, &added))) {
            manifest.defaults.push_back(record + QLatin1Char('\t') + added.join(QLatin1Char(',')));
            if (!exists)
                manifest.created.push_back(mimeApps);
            manifest.changed = true;
        }
    }
    manifest.Save();
}

BOOL AfxUnregisterShellFileType(const AfxShellType& type)
{
    Manifest manifest(type.appName);
    BOOL bAllRemoved = TRUE;
    const QString entry = DesktopFileName(type);

    for (const QString& record : manifest.defaults) {
        const QStringList parts = record.split(QLatin1Char('\t'));
        if (parts.size() != 2 && parts.size() != 3)
            continue;
        bool exists = false;
        const QByteArray list = ReadAll(parts[0], &exists);
        if (!exists)
            continue;
        bool found = false;
        QByteArray rest;
        if (parts.size() == 3) {
            const std::optional<QByteArray> without =
                WithoutAdded(list, parts[1], entry, parts[2].split(QLatin1Char(','), Qt::SkipEmptyParts));
            found = without.has_value();
            rest = without.value_or(QByteArray());
        } else {
            rest = WithoutDefault(list, parts[1], entry, &found);
        }
        if (!found)
            continue;  // the user has changed it since: theirs now
        const bool created = std::find(manifest.created.begin(), manifest.created.end(),
                                       parts[0]) != manifest.created.end();
        const bool ok = rest.isEmpty() && created ? QFile::remove(parts[0])
                                                  : WriteAll(parts[0], rest);
        if (!ok)
            bAllRemoved = FALSE;
    }
    manifest.defaults.clear();
    manifest.created.clear();

    for (auto it = manifest.files.begin(); it != manifest.files.end();) {
        const QString& path = it->first;
        bool exists = false;
        const QByteArray current = ReadAll(path, &exists);
        if (exists && Sha(current) == it->second && !QFile::remove(path)) {
            bAllRemoved = FALSE;
            ++it;
            continue;
        }
        it = manifest.files.erase(it);
    }
    manifest.changed = true;
    if (!manifest.Save())
        bAllRemoved = FALSE;
    return bAllRemoved;
}
