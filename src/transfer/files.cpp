#include "transfer/files.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "platform/atomicfile.h"

namespace transfer {

QString SafeFileName(const QString& name) {
    QString safe;
    for (const QChar c : name) safe += (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7F) ? QChar(u'_') : c;
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String("..")) safe = QStringLiteral("_") + safe;
    while (safe.toUtf8().size() > 255) safe.chop(1);
    if (!safe.isEmpty() && safe.back().isHighSurrogate()) safe.chop(1);
    return safe;
}

QStringList WriteSnippetFiles(const QString& dir, const QList<Item>& items) {
    if (platform::IsDatabaseFile(dir))
        throw Error{
            QStringLiteral("%1 is a snippet library (a database file); no files are written over it.").arg(dir)};
    QHash<QString, QSet<QString>> taken;  // per folder, lower case
    QStringList written;
    for (const Item& item : items) {
        const QString folder = SafeFileName(item.category.isEmpty() ? QStringLiteral("Snippets") : item.category);
        QString name = item.name;
        if (QFileInfo(name).suffix().isEmpty()) {
            if (item.category == QLatin1String("Modules"))
                name += QStringLiteral(".bas");
            else if (item.category == QLatin1String("Classes"))
                name += QStringLiteral(".cls");
        }
        name = SafeFileName(name);
        const QFileInfo parts(name);
        const QString stem = parts.completeBaseName().isEmpty() ? name : parts.completeBaseName();
        const QString suffix =
            parts.completeBaseName().isEmpty() || parts.suffix().isEmpty() ? QString() : u'.' + parts.suffix();
        QString unique = name;
        for (int n = 2; taken[folder].contains(unique.toLower()); ++n)
            unique = SafeFileName(QStringLiteral("%1 (%2)").arg(stem).arg(n) + suffix);
        taken[folder].insert(unique.toLower());
        const QString path = QDir(dir).filePath(folder + u'/' + unique);
        QString error;
        if (!platform::WriteFileAtomically(path, item.content.toUtf8(), &error)) throw Error{error};
        written << path;
    }
    return written;
}

}  // namespace transfer
