#include "transfer/dump.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "store/statements.h"
#include "store/store.h"
#include "transfer/json.h"

namespace transfer {

namespace {

const QString kFormat = QStringLiteral("snippary-dump");
constexpr int kVersion = 1;

QString Text(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

QString Field(const QJsonObject& o, const char* key, qsizetype index) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isNull() || v.isUndefined()) return QString();
    if (!v.isString())
        throw Error{QStringLiteral("snippet %1 of the dump: %2 is not a text").arg(index + 1).arg(QLatin1String(key))};
    return v.toString();
}

}  // namespace

QByteArray DumpLibrary(store::Connection& con) {
    QJsonArray categories;
    QHash<qint64, QString> names;
    {
        store::Recordset rs;
        for (rs.Open(store::stmt::SelectTypes(), &con); !rs.Eof(); rs.MoveNext()) {
            const QString name = Text(rs.Fields(QStringLiteral("TypeName")));
            names.insert(rs.Fields(QStringLiteral("TypeID")).toLongLong(), name);
            categories.append(name);
        }
    }
    QJsonArray snippets;
    store::Recordset rs;
    for (rs.Open(QStringLiteral("SELECT * FROM Code ORDER BY ID"), &con); !rs.Eof(); rs.MoveNext()) {
        const qint64 typeId = rs.Fields(QStringLiteral("TypeID")).toLongLong();
        const QDateTime date = rs.Fields(QStringLiteral("DateAdded")).toDateTime();
        snippets.append(QJsonObject{
            {QStringLiteral("id"), rs.Fields(QStringLiteral("ID")).toLongLong()},
            {QStringLiteral("category"), names.contains(typeId) ? QJsonValue(names.value(typeId)) : QJsonValue()},
            {QStringLiteral("name"), Text(rs.Fields(QStringLiteral("Name")))},
            {QStringLiteral("description"), Text(rs.Fields(QStringLiteral("Description")))},
            {QStringLiteral("dateAdded"),
             date.isValid() ? QJsonValue(date.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))) : QJsonValue()},
            {QStringLiteral("source"), Text(rs.Fields(QStringLiteral("Source")))},
            {QStringLiteral("content"), Text(rs.Fields(QStringLiteral("Content")))},
        });
    }
    const QJsonObject dump{{QStringLiteral("format"), kFormat},
                           {QStringLiteral("version"), kVersion},
                           {QStringLiteral("categories"), categories},
                           {QStringLiteral("snippets"), snippets}};
    return JsonText(QJsonDocument(dump));
}

QList<Item> ReadListed(store::Connection& con, const QString& query) {
    QList<Item> items;
    store::Recordset rs;
    for (rs.Open(query, &con); !rs.Eof(); rs.MoveNext()) {
        Item item;
        item.category = Text(rs.Fields(QStringLiteral("TypeName")));
        item.name = Text(rs.Fields(QStringLiteral("Name")));
        item.description = Text(rs.Fields(QStringLiteral("Description")));
        item.source = Text(rs.Fields(QStringLiteral("Source")));
        item.content = Text(rs.Fields(QStringLiteral("Content")));
        item.date = rs.Fields(QStringLiteral("DateAdded")).toDateTime();
        items << item;
    }
    return items;
}

bool LooksLikeDump(const QByteArray& bytes) {
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    return doc.isObject() && doc.object().value(QLatin1String("format")).toString() == kFormat;
}

Batch ReadDump(const QByteArray& bytes) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        doc.object().value(QLatin1String("format")).toString() != kFormat)
        throw Error{QStringLiteral("not a snippet library dump")};
    const QJsonObject dump = doc.object();
    if (dump.value(QLatin1String("version")).toInt() != kVersion)
        throw Error{QStringLiteral("a dump of version %1, which this program does not know")
                        .arg(dump.value(QLatin1String("version")).toInt())};
    Batch batch;
    for (const QJsonValue c : dump.value(QLatin1String("categories")).toArray()) {
        if (!c.isString()) throw Error{QStringLiteral("a category of the dump is not a text")};
        if (!batch.categories.contains(c.toString())) batch.categories << c.toString();
    }
    const QJsonArray snippets = dump.value(QLatin1String("snippets")).toArray();
    for (qsizetype i = 0; i < snippets.size(); ++i) {
        if (!snippets[i].isObject()) throw Error{QStringLiteral("snippet %1 of the dump is not an object").arg(i + 1)};
        const QJsonObject o = snippets[i].toObject();
        Item item;
        item.category = Field(o, "category", i);
        item.name = Field(o, "name", i);
        item.description = Field(o, "description", i);
        item.source = Field(o, "source", i);
        item.content = Field(o, "content", i);
        const QString date = Field(o, "dateAdded", i);
        item.noDate = date.isEmpty();
        item.date = QDateTime::fromString(date, Qt::ISODate);
        if (!item.noDate && !item.date.isValid())
            throw Error{QStringLiteral("snippet %1 of the dump: %2 is not a date").arg(i + 1).arg(date)};
        if (item.category.isEmpty()) {
            batch.skipped << item.name + QStringLiteral(": no category");
            continue;
        }
        if (!batch.categories.contains(item.category)) batch.categories << item.category;
        batch.items << item;
    }
    return batch;
}

}  // namespace transfer
