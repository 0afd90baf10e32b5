#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

namespace {

QString WithoutTrailingSeparator(QString path) {
    while (path.size() > 1 && path.endsWith(u'/')) path.chop(1);
    return path;
}

}  // namespace

QString ProgramFolder() {
    if (QCoreApplication::instance() != nullptr)
        return WithoutTrailingSeparator(QCoreApplication::applicationDirPath());
    // Before the application object exists (the command line parses its verbs
    // first), the kernel still knows the executable.
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (!exe.isEmpty()) return WithoutTrailingSeparator(QFileInfo(exe).absolutePath());
    return WithoutTrailingSeparator(QDir::currentPath());
}

bool PortableUse() { return QFileInfo(ProgramFolder() + QStringLiteral("/Snippary.ini")).isFile(); }

QString SettingsFile() {
    if (PortableUse()) return ProgramFolder() + QStringLiteral("/Snippary.ini");
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/snippary/Snippary.ini");
}

QString AddinFile() { return QFileInfo(SettingsFile()).absolutePath() + QStringLiteral("/VBADDIN.INI"); }

QString HelpIndex() {
    QString beside = ProgramFolder() + QStringLiteral("/help/index.htm");
    if (QFileInfo(beside).isFile()) return beside;
    return QDir::cleanPath(ProgramFolder() + QStringLiteral("/../share/snippary/help/index.htm"));
}

QString ExportDefaultFolder() {
    if (PortableUse()) return ProgramFolder();
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    return WithoutTrailingSeparator(documents);
}

QString ReadyExportDefaultFolder() {
    // As the desktop's own file dialogs do, a missing documents folder is made; a
    // default that cannot take the page gives way to the home folder, so an export
    // the user aimed nowhere in particular does not fail for want of a folder.
    QString folder = ExportDefaultFolder();
    const QFileInfo info(folder);
    if ((info.isDir() || QDir().mkpath(folder)) && QFileInfo(folder).isWritable()) return folder;
    return WithoutTrailingSeparator(QDir::homePath());
}

QString DataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/snippary");
}

}  // namespace platform
