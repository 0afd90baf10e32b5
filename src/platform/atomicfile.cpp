#include "platform/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <bitset>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The smallest page an encrypted library can have.
constexpr qint64 kPage = 1024;

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

QString SystemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

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
    if (head.startsWith("\xD9\xD5\x05\xF9\x20\xA1\x63\xD7")) return true;                         // rollback journal
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

QString MakingPrefix(const QString& targetName) { return QStringLiteral(".%1.new-").arg(targetName); }

void RemoveLeftovers(const QString& folder, const QString& targetName) {
    const QDir dir(folder);
    const QString prefix = MakingPrefix(targetName);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!name.startsWith(prefix) || name.size() != prefix.size() + 6) continue;
        const QString leftover = dir.filePath(name);
        const int fd = ::open(QFile::encodeName(leftover).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        // A maker that loses this race to its own lock finds its file gone at the
        // rename and reports the write as failed: nothing is lost either way.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            QFile::remove(leftover + QStringLiteral("-journal"));
            QFile::remove(leftover);
        }
        ::close(fd);
    }
}

AtomicFile::AtomicFile(const QString& path) : path_(path) {}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Discard() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    QFile::remove(temp_);
}

bool AtomicFile::Fail(QString* error, const QString& why) {
    Discard();
    if (error != nullptr) *error = why;
    return false;
}

bool AtomicFile::Open(QString* error) {
    if (path_.isEmpty()) return Fail(error, QStringLiteral("No file name was given."));
    const QFileInfo info(path_);
    if (info.isDir()) return Fail(error, QStringLiteral("%1 is a folder, not a file.").arg(Native(path_)));
    if (IsDatabaseFile(path_))
        return Fail(
            error,
            QStringLiteral("%1 is a snippet library (a database file); it is never written over.").arg(Native(path_)));
    // The new file replaces the one a link leads to, so the link stays a link.
    const QFileInfo target(QFileInfo(FinalTarget(path_)).absoluteFilePath());
    target_ = target.filePath();
    const QString folder = target.absolutePath();
    if (!QDir().mkpath(folder))
        return Fail(error, QStringLiteral("The folder %1 cannot be created.").arg(Native(folder)));
    RemoveLeftovers(folder, target.fileName());

    // O_EXCL under a fresh name, so a link planted beside the target is never
    // followed; mode 0666 less the umask, as any new file of the user's.
    struct stat old {};
    const bool replacing = ::stat(QFile::encodeName(target_).constData(), &old) == 0 && S_ISREG(old.st_mode);
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        QString suffix;
        for (int i = 0; i < 6; ++i) suffix += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
        temp_ = QDir(folder).filePath(MakingPrefix(target.fileName()) + suffix);
        fd_ = ::open(QFile::encodeName(temp_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(Native(path_), SystemError()));
    (void)::flock(fd_, LOCK_EX);
    // A replaced file keeps its own permissions.
    if (replacing) (void)::fchmod(fd_, old.st_mode & 07777);
    return true;
}

bool AtomicFile::Write(const QByteArray& bytes, QString* error) {
    if (fd_ < 0) return Fail(error, QStringLiteral("%1 cannot be written.").arg(Native(path_)));
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(Native(path_), SystemError()));
        }
        p += n;
        left -= n;
    }
    return true;
}

bool AtomicFile::Commit(QString* error) {
    if (fd_ < 0) return Fail(error, QStringLiteral("%1 cannot be written.").arg(Native(path_)));
    // The old file goes only once the new one is known to be on the disk whole.
    if (::fsync(fd_) != 0)
        return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(Native(path_), SystemError()));
    if (::rename(QFile::encodeName(temp_).constData(), QFile::encodeName(target_).constData()) != 0)
        return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(Native(path_), SystemError()));
    ::close(fd_);  // the lock goes with it, once the file has its final name
    fd_ = -1;
    SyncFolder(QFileInfo(target_).absolutePath());
    return true;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    AtomicFile file(path);
    return file.Open(error) && file.Write(bytes, error) && file.Commit(error);
}

}  // namespace platform
