// The edit control's selection as text for other programs (the X selection
// and the clipboard): taken as it stands when it is offered, and converted
// through the code page only when another program asks for it, once.
//
// Qt offers the selection at every change of it, in the middle of the key
// that changed it; so what a key offers has its characters copied a moment
// later, once the screen shows the change, or before anything may change
// the text (the control calls TakeOffered first thing for each key, click,
// drop and message), or when another program asks, whichever comes first.
// Anything else (a cut, a drag, a context menu's command) may change the
// text right after offering it, and has them copied at once.
#ifndef RUVOK_EDITSELECTION_H
#define RUVOK_EDITSELECTION_H

#include "cp932text.h"

#include <QMimeData>
#include <QPointer>
#include <QString>

#include <vector>

class QTextDocument;

class SelectionText : public QMimeData {
public:
    // The text of doc's positions from..to.
    SelectionText(const QTextDocument& doc, int from, int to);
    ~SelectionText() override;

    // Copies the characters of every selection offered and not copied yet:
    // before the text may change.
    static void TakeOffered();

    // While one lives, what is offered is copied later (during a key), or
    // at once (during a message, which may cut).
    class Later {
    public:
        explicit Later(bool later = true);
        ~Later();
        Later(const Later&) = delete;
        Later& operator=(const Later&) = delete;

    private:
        bool m_bWas;
    };

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    void Take() const;
    const QString& Converted() const;

    mutable QPointer<const QTextDocument> m_doc;  // until taken
    int m_from;
    int m_to;
    mutable QString m_raw;  // a paragraph separator at each block break
    mutable bool m_bCrLfOnly = true;  // every separator stands for CR LF
    mutable std::vector<cp932::LineEnd> m_ends;  // else the line end each stands for
    mutable bool m_bConverted = false;
    mutable QString m_text;
};

#endif
