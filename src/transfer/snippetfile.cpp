#include "transfer/snippetfile.h"

#include "transfer/json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace transfer {

namespace {

// Comments and trailing commas become blanks, so offsets (and line numbers) stay.
QByteArray Relaxed(QByteArray text) {
    const qsizetype n = text.size();
    qsizetype lastComma = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = text[i];
        if (c == '"') {
            for (++i; i < n && text[i] != '"'; ++i)
                if (text[i] == '\\') ++i;
            lastComma = -1;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '/') {
            for (; i < n && text[i] != '\n'; ++i) text[i] = ' ';
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            text[i] = text[i + 1] = ' ';
            for (i += 2; i < n && !(text[i] == '*' && i + 1 < n && text[i + 1] == '/'); ++i)
                if (text[i] != '\n') text[i] = ' ';
            if (i < n) text[i] = ' ';
            if (i + 1 < n) text[++i] = ' ';
        } else if (c == ',') {
            lastComma = i;
        } else if ((c == '}' || c == ']') && lastComma >= 0) {
            text[lastComma] = ' ';
            lastComma = -1;
        } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            lastComma = -1;
        }
    }
    return text;
}

QString Where(const QByteArray& text, qsizetype offset) {
    offset = qBound<qsizetype>(0, offset, text.size());
    const QByteArray before = text.left(offset);
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return QStringLiteral("line %1, column %2")
        .arg(before.count('\n') + 1)
        .arg(QString::fromUtf8(before.mid(lineStart)).size() + 1);
}

QStringList Strings(const QJsonValue& v) {
    QStringList out;
    if (v.isString()) out << v.toString();
    for (const QJsonValue e : v.toArray()) out << e.toString();
    return out;
}

// Every line followed by CR LF, as the add page keeps content.
QString Content(const QJsonValue& body) {
    QStringList lines;
    if (body.isArray()) {
        lines = Strings(body);
    } else {
        QString text = body.toString();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        lines = text.split(u'\n');
        if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
        if (text.isEmpty()) lines.clear();
    }
    QString content;
    for (const QString& line : lines) content += UnescapeSnippetText(line) + QStringLiteral("\r\n");
    return content;
}

}  // namespace

QString EscapeSnippetText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (c == u'$' && (next.isDigit() || next == u'{' || next.isLetter() || next == u'_'))
            out += u'\\';
        else if (c == u'\\' && (next == u'$' || next == u'}' || next == u'\\'))
            out += u'\\';
        else if (c == u'}')
            out += u'\\';
        out += c;
    }
    return out;
}

QString UnescapeSnippetText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (text[i] == u'\\' && (next == u'$' || next == u'}' || next == u'\\')) ++i;
        out += text[i];
    }
    return out;
}

Batch ReadSnippetFile(const QByteArray& bytes, const QString& category) {
    QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(Relaxed(text), &error);
    if (error.error != QJsonParseError::NoError)
        throw Error{
            QStringLiteral("not a valid snippet file: %1 at %2").arg(error.errorString(), Where(text, error.offset))};
    if (!doc.isObject()) throw Error{QStringLiteral("not a snippet file: it holds no object of snippets")};
    Batch batch;
    const QJsonObject entries = doc.object();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        if (!it.value().isObject() || !entry.contains(QLatin1String("body"))) {
            batch.skipped << it.key() + QStringLiteral(": no body");
            continue;
        }
        Item item;
        item.category = category;
        item.name = it.key();
        item.content = Content(entry.value(QLatin1String("body")));
        item.description = entry.value(QLatin1String("description")).toString();
        QStringList extra;
        if (const QStringList prefix = Strings(entry.value(QLatin1String("prefix"))); !prefix.isEmpty())
            extra << QStringLiteral("prefix: ") + prefix.join(QStringLiteral(", "));
        if (const QString scope = entry.value(QLatin1String("scope")).toString(); !scope.isEmpty())
            extra << QStringLiteral("scope: ") + scope;
        if (!extra.isEmpty()) {
            const QString with = item.description.isEmpty() ? extra.join(QStringLiteral("; "))
                                                            : item.description + QStringLiteral(" (") +
                                                                  extra.join(QStringLiteral("; ")) + u')';
            if (with.size() <= kDescriptionRoom)
                item.description = with;
            else
                batch.notes << item.name + QStringLiteral(": ") + extra.join(QStringLiteral("; ")) +
                                   QStringLiteral(" dropped (no room in the description)");
        }
        batch.items << item;
    }
    if (!batch.items.isEmpty()) batch.categories << category;
    return batch;
}

QByteArray WriteSnippetFile(const QList<Item>& items) {
    QJsonObject file;
    QSet<QString> taken;
    for (const Item& item : items) {
        QString key = item.name;
        for (int n = 2; taken.contains(key); ++n) key = QStringLiteral("%1 (%2)").arg(item.name).arg(n);
        taken.insert(key);
        QStringList lines = item.content.split(QStringLiteral("\r\n"));
        if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
        if (item.content.isEmpty()) lines.clear();
        QJsonArray body;
        for (const QString& line : lines) body.append(EscapeSnippetText(line));
        QJsonObject entry{{QStringLiteral("body"), body}};
        if (!item.description.isEmpty()) entry.insert(QStringLiteral("description"), item.description);
        file.insert(key, entry);
    }
    return JsonText(QJsonDocument(file));
}

}  // namespace transfer
