#include "settings/registry.h"

#include <QSettings>
#include <QStandardPaths>

namespace settings {

namespace {

QString StoreFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/snippary/registry.ini");
}

QString Group(Hive hive, const QString& keyPath) {
    QString path = keyPath;
    path.replace(u'\\', u'/');
    while (path.startsWith(u'/')) path.remove(0, 1);
    while (path.endsWith(u'/')) path.chop(1);
    return (hive == HKEY_LOCAL_MACHINE ? QStringLiteral("HKLM/") : QStringLiteral("HKCU/")) + path;
}

}  // namespace

QString RegReadString(Hive hive, const QString& keyPath, const QString& valueName) {
    QSettings store(StoreFile(), QSettings::IniFormat);
    store.beginGroup(Group(hive, keyPath));
    const QVariant value = store.value(valueName);
    // The ini format stores every text as a string; a list or a typed value
    // written by someone else is not one.
    if (value.typeId() != QMetaType::QString) return QString();
    QString text = value.toString();
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0) text.truncate(nul);
    return text;
}

void RegWriteString(Hive hive, const QString& keyPath, const QString& valueName, const QString& text) {
    QSettings store(StoreFile(), QSettings::IniFormat);
    store.beginGroup(Group(hive, keyPath));
    store.setValue(valueName, text);
    store.endGroup();
    store.sync();
}

}  // namespace settings
