// Japanese for Qt's own dialog texts, from the resources (see qttexts.h).
#include "qttexts.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QTranslator>

namespace {

class MissingTextsTranslator : public QTranslator {
public:
    MissingTextsTranslator()
    {
        QFile f(QStringLiteral(":/ruvok/qt_ja.txt"));
        if (!f.open(QIODevice::ReadOnly))
            return;
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QList<QByteArray> parts = line.split('\t');
            if (parts.size() == 3)
                m_texts.insert(parts[0] + '\x04' + parts[1], QString::fromUtf8(parts[2]));
        }
    }

    bool isEmpty() const override { return m_texts.isEmpty(); }

    QString translate(const char* context, const char* sourceText, const char*,
                      int) const override
    {
        if (context == nullptr || sourceText == nullptr)
            return QString();
        return m_texts.value(QByteArray(context) + '\x04' + sourceText);
    }

private:
    QHash<QByteArray, QString> m_texts;
};

}  // namespace

void AfxInstallQtTexts()
{
    static MissingTextsTranslator translator;
    if (!translator.isEmpty())
        QCoreApplication::installTranslator(&translator);
}
