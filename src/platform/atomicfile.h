#pragma once
// Writing a whole file so that a crash or a full disk never leaves it half
// written: the bytes go to a fresh temporary file beside it, which then replaces
// the old file in one rename, and only when every byte reached the disk.
#include <QByteArray>
#include <QString>

namespace platform {

// True when the file a path leads to (links followed) is a database: an SQLite
// file, its rollback journal or write-ahead log, an encrypted library (whole
// pages of noise) or an Access file. No writer of ours replaces one of these.
bool IsDatabaseFile(const QString& path);

// A file written whole or not at all: Open, Write as often as needed, Commit.
// Until Commit has succeeded the old file is left exactly as it was; so it is
// when the object goes away uncommitted. A link is followed and stays a link.
// A new file gets the permissions the user's umask allows; a replaced file
// keeps its own. Each step returns false with a message for the user in *error
// when it fails; after a failure only destruction remains.
class AtomicFile {
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Refuses a folder and a database file; creates the file's folder when needed.
    bool Open(QString* error = nullptr);
    bool Write(const QByteArray& bytes, QString* error = nullptr);
    bool Commit(QString* error = nullptr);

private:
    bool Fail(QString* error, const QString& why);
    void Discard();
    QString path_;    // as given
    QString target_;  // the file it leads to, links followed
    QString temp_;
    int fd_ = -1;
};

// A file in the making is named ".NAME.new-XXXXXX" beside its target, and its
// maker holds a lock on it until it has its final name. Removes what killed
// makers left for this target; the work of one still running is left alone.
QString MakingPrefix(const QString& targetName);
void RemoveLeftovers(const QString& folder, const QString& targetName);

// One AtomicFile holding `bytes`.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

}  // namespace platform
