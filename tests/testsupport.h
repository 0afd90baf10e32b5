// What the tests share: the locale they are written for, a settings folder of their
// own, and whole-file reads and writes.
#pragma once

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>

namespace testsupport {

// Under CTest each test has its own config folder (XDG_CONFIG_HOME); run by hand, Qt's
// test folders, so a developer's own settings are never read or written.
inline void UseOwnSettingsFolders() {
    QStandardPaths::setTestModeEnabled(qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"));
}

inline void UseTestEnvironment() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    UseOwnSettingsFolders();
}

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

// Makes the file's folder first when it is missing.
inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace testsupport
