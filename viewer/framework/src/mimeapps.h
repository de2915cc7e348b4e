// The desktop's lists of default applications: in a mimeapps.list or
// defaults.list, the [Default Applications] group says which application
// each type's files open in.
#ifndef RUVOK_MIMEAPPS_H
#define RUVOK_MIMEAPPS_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace mimeapps {

// The default the list names for mimeType, or empty.
QString DefaultFor(const QByteArray& list, const QString& mimeType);
// The list with "type=entry;" added to its default group (made at the end if
// missing), in the list's own line ends; *pAdded says what else went in.
QByteArray WithDefault(const QByteArray& list, const QString& mimeType, const QString& entry,
                       QStringList* pAdded);
// The list without exactly what WithDefault added (as `added` says), the
// rest byte for byte; nullopt where the line is not there any more.
std::optional<QByteArray> WithoutAdded(const QByteArray& list, const QString& mimeType,
                                       const QString& entry, const QStringList& added);
// The list without that one line; an emptied default group goes too (the
// records of earlier versions say nothing of what they added).
QByteArray WithoutDefault(const QByteArray& list, const QString& mimeType, const QString& entry,
                          bool* pFound);

}  // namespace mimeapps

#endif
