// The edit control's selection as text for other programs (the X selection
// and the clipboard): taken as it stands when it is offered, and converted
// through the code page only when another program asks for it, once.
#ifndef RUVOK_EDITSELECTION_H
#define RUVOK_EDITSELECTION_H

#include "cp932text.h"

#include <QMimeData>
#include <QString>

#include <vector>

class QTextDocument;

class SelectionText : public QMimeData {
public:
    // The text of doc's positions from..to.
    SelectionText(const QTextDocument& doc, int from, int to);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    const QString& Converted() const;

    mutable QString m_raw;  // a paragraph separator at each block break
    std::vector<cp932::LineEnd> m_ends;  // the line end each separator stands for
    mutable bool m_bConverted = false;
    mutable QString m_text;
};

#endif
