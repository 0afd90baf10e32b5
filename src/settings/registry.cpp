#include "settings/registry.h"

#include <QStandardPaths>
#include <QUrl>

#include "settings/inifile.h"

namespace settings {

namespace {

QString StoreFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/snippary/registry.ini");
}

// One section a key: the hive's short name and the key path, "\" between the parts.
QString Section(Hive hive, const QString& keyPath) {
    QString path = keyPath;
    path.replace(u'/', u'\\');
    while (path.startsWith(u'\\')) path.remove(0, 1);
    while (path.endsWith(u'\\')) path.chop(1);
    return (hive == HKEY_LOCAL_MACHINE ? QStringLiteral("HKLM\\") : QStringLiteral("HKCU\\")) + path;
}

}  // namespace

QString RegReadString(Hive hive, const QString& keyPath, const QString& valueName) {
    const std::optional<QString> stored = IniFile(StoreFile()).Value(Section(hive, keyPath), valueName);
    if (!stored) return QString();
    QString text = QUrl::fromPercentEncoding(stored->toUtf8());
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0) text.truncate(nul);
    return text;
}

void RegWriteString(Hive hive, const QString& keyPath, const QString& valueName, const QString& text) {
    // Percent-encoded, so blanks around the text, "=", ";" and line breaks come back as they were.
    IniFile store(StoreFile());
    store.SetValue(Section(hive, keyPath), valueName, QString::fromLatin1(QUrl::toPercentEncoding(text)));
    (void)store.Save();
}

}  // namespace settings
