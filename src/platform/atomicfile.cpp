#include "platform/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <bitset>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

// The smallest page an encrypted library can have.
constexpr qint64 kPage = 1024;

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

QString FinalTarget(const QString& path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth) info.setFile(info.symLinkTarget());
    return info.filePath();
}

// After the rename the new file is in place whatever this gives; syncing the
// folder only makes the rename itself outlast a power cut.
void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

bool IsDatabaseFile(const QString& path) {
    const QFileInfo info(FinalTarget(path));
    // Only a regular file is looked into: opening a pipe would wait for a writer.
    if (!info.isFile()) return false;
    QFile f(info.filePath());
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(kPage);
    if (head.startsWith(QByteArray("SQLite format 3", 16))) return true;
    if (head.startsWith("\xD9\xD5\x05\xF9\x20\xA1\x63\xD7")) return true;                     // rollback journal
    if (head.startsWith("\x37\x7F\x06\x82") || head.startsWith("\x37\x7F\x06\x83")) return true;  // write-ahead log
    const QByteArray jet = head.mid(4, 15);
    if (jet == "Standard Jet DB" || jet == "Standard ACE DB") return true;
    // An encrypted library has no header: it is whole pages of noise, so its first
    // kilobyte holds nearly all 256 byte values, where a text holds a few dozen.
    if (head.size() == kPage && f.size() % kPage == 0) {
        std::bitset<256> seen;
        for (const char c : head) seen.set(static_cast<unsigned char>(c));
        return seen.count() >= 200;
    }
    return false;
}

AtomicFile::AtomicFile(const QString& path) : path_(path) {}

AtomicFile::~AtomicFile() {
    if (file_ && file_->isOpen()) file_->cancelWriting();
}

bool AtomicFile::Fail(QString* error, const QString& why) {
    if (file_ && file_->isOpen()) file_->cancelWriting();
    file_.reset();
    if (error != nullptr) *error = why;
    return false;
}

bool AtomicFile::Open(QString* error) {
    if (path_.isEmpty()) return Fail(error, QStringLiteral("No file name was given."));
    const QFileInfo info(path_);
    if (info.isDir()) return Fail(error, QStringLiteral("%1 is a folder, not a file.").arg(Native(path_)));
    if (IsDatabaseFile(path_))
        return Fail(error, QStringLiteral("%1 is a snippet library (a database file); it is never written over.")
                               .arg(Native(path_)));
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return Fail(error, QStringLiteral("The folder %1 cannot be created.").arg(Native(folder)));

    // QSaveFile opens its temporary file with O_EXCL under a random name, so a link
    // planted beside the target is never followed, and it creates it with 0666
    // less the umask, or with the permissions of the file it replaces. Unbuffered,
    // so every write reaches the file at once and its failure is seen there.
    file_ = std::make_unique<QSaveFile>(path_);
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(Native(path_), file_->errorString()));
    return true;
}

bool AtomicFile::Write(const QByteArray& bytes, QString* error) {
    if (!file_) return Fail(error, QStringLiteral("%1 cannot be written.").arg(Native(path_)));
    if (file_->write(bytes) != bytes.size())
        return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(Native(path_), file_->errorString()));
    return true;
}

bool AtomicFile::Commit(QString* error) {
    if (!file_) return Fail(error, QStringLiteral("%1 cannot be written.").arg(Native(path_)));
    // The old file goes only once the new one is known to be on the disk whole.
    if (!file_->flush())
        return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(Native(path_), file_->errorString()));
    if (::fsync(file_->handle()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(Native(path_), why));
    }
    if (!file_->commit())
        return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(Native(path_), file_->errorString()));
    file_.reset();
    SyncFolder(QFileInfo(FinalTarget(path_)).absolutePath());
    return true;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    AtomicFile file(path);
    return file.Open(error) && file.Write(bytes, error) && file.Commit(error);
}

}  // namespace platform
