#include "platform/filefilter.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace platform {

QStringList QtFileFilters(const QString& pipes) {
    QStringList out;
    if (pipes.trimmed().isEmpty()) return out;
    const QStringList parts = pipes.split(u'|');
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString caption = parts.at(i).trimmed();
        QStringList patterns;
        const QString given = i + 1 < parts.size() ? parts.at(i + 1) : QStringLiteral("*");
        for (QString p : given.split(u';', Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p == u"*.*") p = QStringLiteral("*");
            if (!p.isEmpty() && !patterns.contains(p)) patterns << p;
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        static const QRegularExpression ownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
        caption.remove(ownPatterns);
        if (caption.isEmpty()) caption = patterns.join(u' ');
        out << QStringLiteral("%1 (%2)").arg(caption, patterns.join(u' '));
    }
    return out;
}

QUrl ShellTarget(const QString& target) {
    // A scheme of two letters or more: "C:" would be a drive, not an address.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(target).hasMatch()) return QUrl(target, QUrl::TolerantMode);
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
}

}  // namespace platform
