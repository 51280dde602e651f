#include "notes/editor/presenter/TextColorModel.h"

#include <QColor>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcColors, "prelvane.editor.colors")

QString normalised(const QString &color)
{
    QString t = color.trimmed().toLower();
    if (!t.isEmpty() && !t.startsWith(u'#'))
        t.prepend(u'#');
    return t;
}

} // namespace

const QList<TextColorModel> &TextColorModel::all()
{
    static const QList<TextColorModel> list = [] {
        QFile file(QStringLiteral(":/colors/NoteTextColor.json"));
        if (!file.open(QIODevice::ReadOnly)) {
            qCWarning(lcColors) << "text colour list missing";
            return QList<TextColorModel>{{QStringLiteral("默认"), QStringLiteral("#3a3a3a")}};
        }
        return fromJson(file.readAll());
    }();
    return list;
}

QList<TextColorModel> TextColorModel::fromJson(const QByteArray &json)
{
    QList<TextColorModel> out;
    const QJsonArray rows = QJsonDocument::fromJson(json).array();
    for (const QJsonValue &v : rows) {
        const QJsonObject o = v.toObject();
        TextColorModel m{o.value(QStringLiteral("title")).toString(),
                         o.value(QStringLiteral("color")).toString()};
        if (m.title.isEmpty() || !QColor::isValidColor(normalised(m.color)))
            continue;
        out.append(m);
    }
    return out;
}

int TextColorModel::indexOf(const QList<TextColorModel> &list, const QString &color)
{
    if (list.isEmpty())
        return -1;
    const QString wanted = normalised(color);
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (normalised(list[i].color) == wanted)
            return int(i);
    }
    return 0;
}
