#include "platform/atomicfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

namespace {

bool Fail(QString* error, const QString& text) {
    if (error != nullptr) *error = text;
    return false;
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    if (path.isEmpty()) return Fail(error, QStringLiteral("No file name was given."));
    const QFileInfo info(path);
    if (info.isDir())
        return Fail(error, QStringLiteral("%1 is a folder, not a file.").arg(QDir::toNativeSeparators(path)));
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return Fail(error, QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(folder)));

    // QSaveFile opens its temporary file with O_EXCL under a random name, so a link
    // planted beside the target is never followed, and it creates it with 0666
    // less the umask, or with the permissions of the file it replaces.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, QStringLiteral("%1 cannot be written: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), why));
    }
    if (!file.commit())
        return Fail(error, QStringLiteral("%1 cannot be written: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    return true;
}

}  // namespace platform
