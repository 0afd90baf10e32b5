#include "store/sqliteengine.h"
#include "store/utf8text.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <tuple>
#include <sqlite3.h>  // result codes only: every call goes to the engine of the file
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "store/cipherpage.h"
#include "store/sqlitedriver.h"
#include "store/store.h"

namespace store::sqlite {

namespace {

inline unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// Eight bytes at a time: a search asks this of every snippet it does not find.
bool IsAscii(const char* s, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, s + i, 8);
        if (eight & 0x8080808080808080ULL) return false;
    }
    for (; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

// UTF-16 units before byte offset `off` of UTF-8 text: VB counts characters so.
qint64 Utf16Units(const char* s, int off) {
    qint64 units = 0;
    for (int i = 0; i < off; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if ((c & 0xC0) != 0x80) ++units;
        if (c >= 0xF0) ++units;  // a surrogate pair
    }
    return units;
}

// First match of an ASCII needle ignoring ASCII case; -1 when none.
int FindAsciiNoCase(const char* hay, int hayLen, const char* needle, int needleLen) {
    if (needleLen > hayLen) return -1;
    const unsigned char first = Lower(static_cast<unsigned char>(needle[0]));
    const unsigned char firstUp = (first >= 'a' && first <= 'z') ? first - 32 : first;
    const char* end = hay + hayLen - needleLen + 1;  // last start + 1
    auto next = [end](const char* from, unsigned char c) {
        return static_cast<const char*>(std::memchr(from, c, size_t(end - from)));
    };
    // The next place of each case of the first letter; the nearer one is tried.
    const char* lo = next(hay, first);
    const char* up = first != firstUp ? next(hay, firstUp) : nullptr;
    for (;;) {
        const char* c = lo;
        if (up != nullptr && (c == nullptr || up < c)) c = up;
        if (c == nullptr) return -1;
        int k = 1;
        while (k < needleLen && Lower(static_cast<unsigned char>(c[k])) == Lower(static_cast<unsigned char>(needle[k])))
            ++k;
        if (k == needleLen) return int(c - hay);
        if (c == lo)
            lo = next(c + 1, first);
        else
            up = next(c + 1, firstUp);
    }
}

// The schema of a library, one statement an entry. Version 1 had no index on the
// category names; files of both versions are ours.
const char* const kSchemaV2[] = {
    "CREATE TABLE Types(TypeID INTEGER PRIMARY KEY AUTOINCREMENT, TypeName TEXT NOT NULL)",
    "CREATE TABLE Code(ID INTEGER PRIMARY KEY AUTOINCREMENT, TypeID INTEGER NOT NULL, Name TEXT NOT NULL,"
    " Description TEXT, DateAdded TEXT, Source TEXT, Content TEXT)",
    "CREATE INDEX CodeByType ON Code(TypeID)",
    // qDisplay keeps Content last, so listing reads the small columns first; an inner
    // join, so a snippet whose category is gone is not listed.
    "CREATE VIEW qDisplay AS SELECT Code.ID AS ID, Code.TypeID AS TypeID, Code.Name AS Name,"
    " Code.Description AS Description, Code.DateAdded AS DateAdded, Code.Source AS Source,"
    " Types.TypeName AS TypeName, Code.Content AS Content"
    " FROM Code INNER JOIN Types ON Code.TypeID = Types.TypeID",
    // Two categories of one name would be deleted together by name.
    "CREATE UNIQUE INDEX TypeNames ON Types(TypeName COLLATE NOCASE)"};

qint64 ScalarInt(Database& db, const char* sql) {
    std::unique_ptr<Statement> st = db.Prepare(sql);
    const int rc = st ? st->Step() : kDone;
    if (rc != kRow) db.Fail(rc == kDone ? kError : rc);
    return st->ColumnInt64(0);
}

// The file's schema as the engine lists it; reading this list runs no view and no
// trigger of the file.
std::vector<SchemaRow> SchemaRows(Database& db) {
    std::vector<SchemaRow> rows;
    std::unique_ptr<Statement> st =
        db.Prepare("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name");
    int rc = kDone;
    while ((rc = st->Step()) == kRow) {
        auto text = [&](int i) {
            return QByteArray(reinterpret_cast<const char*>(st->ColumnText(i)), st->ColumnBytes(i));
        };
        rows.push_back({text(0), text(1), text(2), text(3)});
    }
    if (rc != kDone) db.Fail(rc);
    return rows;
}

// What a library of `version` holds, made once on an empty in-memory database.
const std::vector<SchemaRow>& ExpectedRows(int version) {
    static QMutex mutex;
    static std::map<int, std::vector<SchemaRow>> made;
    QMutexLocker lock(&mutex);
    auto found = made.find(version);
    if (found != made.end()) return found->second;
    OpenRequest r;
    r.path = ":memory:";
    r.create = true;
    r.hostile = false;
    std::unique_ptr<Database> db = plain::Open(r);
    int count = 0;
    const char* const* statements = SchemaStatements(version, &count);
    for (int i = 0; i < count; ++i) db->Exec(QString::fromLatin1(statements[i]));
    return made.emplace(version, SchemaRows(*db)).first->second;
}

// Refuses a file that is not exactly a library of ours: the engine then meets no
// view, trigger or table the file brought along.
void CheckSchema(qint64 applicationId, qint64 version, std::vector<SchemaRow> have, const QString& path) {
    if (applicationId != kApplicationId || version < 1 || version > kSchemaVersion)
        throw StoreError(errors::kUnrecognized, QStringLiteral("'%1' is not a snippet library.").arg(path));
    const std::vector<SchemaRow>& want = ExpectedRows(int(version));
    std::sort(have.begin(), have.end(), [](const SchemaRow& a, const SchemaRow& b) {
        return std::tie(a.type, a.name) < std::tie(b.type, b.name);
    });
    if (have == want) return;
    // Name the first thing that differs, so the user can tell a damaged file from a foreign one.
    QString what;
    for (const SchemaRow& row : have)
        if (std::find(want.begin(), want.end(), row) == want.end()) {
            what = QStringLiteral("%1 %2").arg(QString::fromUtf8(row.type), QString::fromUtf8(row.name));
            break;
        }
    if (what.isEmpty())
        for (const SchemaRow& row : want)
            if (std::find(have.begin(), have.end(), row) == have.end()) {
                what = QStringLiteral("no %1 %2").arg(QString::fromUtf8(row.type), QString::fromUtf8(row.name));
                break;
            }
    throw StoreError(errors::kForeignSchema,
                     QStringLiteral("'%1' is not opened: its tables, indexes and views are not exactly those of a "
                                    "snippet library (%2). Such a file could run its own code when read.")
                         .arg(path, what.left(200)));
}

void CheckOurs(Database& db, const QString& path) {
    CheckSchema(ScalarInt(db, "PRAGMA application_id"), ScalarInt(db, "PRAGMA user_version"), SchemaRows(db), path);
}

// A FIFO or a device as the library would block the first read for ever: only a
// regular file is read, and its first bytes without waiting.
QByteArray FileHead(const QString& path, qint64* size) {
    const QFileInfo info(path);
    if (!info.exists()) throw StoreError(errors::kFileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    if (info.isDir())
        throw StoreError(errors::kNotAFile, QStringLiteral("'%1' is a folder, not a library file.").arg(path));
    if (!info.isFile())
        throw StoreError(
            errors::kNotAFile,
            QStringLiteral("'%1' is not a regular file (a pipe or a device), so it is no library.").arg(path));
    if (!info.isReadable())
        throw StoreError(errors::kNoAccess,
                         QStringLiteral("The file '%1' cannot be opened: permission denied.").arg(path));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw StoreError(
            errors::kNoAccess,
            QStringLiteral("The file '%1' cannot be opened: %2.").arg(path, QString::fromLocal8Bit(strerror(errno))));
    struct stat st {};
    QByteArray head(16, '\0');
    ssize_t got = -1;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) got = ::read(fd, head.data(), size_t(head.size()));
    ::close(fd);
    if (!S_ISREG(st.st_mode))
        throw StoreError(
            errors::kNotAFile,
            QStringLiteral("'%1' is not a regular file (a pipe or a device), so it is no library.").arg(path));
    *size = st.st_size;
    head.resize(got > 0 ? qsizetype(got) : 0);
    return head;
}

}  // namespace

const char* const* SchemaStatements(int version, int* count) {
    *count = version >= 2 ? 5 : 4;
    return kSchemaV2;
}

qint64 Instr(const char* hay, int hayLen, const char* needle, int needleLen) {
    if (hayLen == 0) return 0;
    if (needleLen == 0) return 1;
    if (IsAscii(needle, needleLen)) {
        const int at = FindAsciiNoCase(hay, hayLen, needle, needleLen);
        if (at >= 0) return Utf16Units(hay, at) + 1;
        if (IsAscii(hay, hayLen)) return 0;
        // A few non-ASCII letters fold to ASCII ones (the Kelvin sign to k): let Qt decide.
    }
    const QString h = FromStoredUtf8(hay, hayLen);
    const QString n = FromStoredUtf8(needle, needleLen);
    const qsizetype at = h.indexOf(n, 0, Qt::CaseInsensitive);
    return at < 0 ? 0 : qint64(at) + 1;
}

// Jet sorts text without regard to case; ASCII is compared in place, other text
// through Qt's case folding.
int CompareText(int lenA, const void* a, int lenB, const void* b) {
    const auto* pa = static_cast<const unsigned char*>(a);
    const auto* pb = static_cast<const unsigned char*>(b);
    const int n = lenA < lenB ? lenA : lenB;
    for (int i = 0; i < n; ++i) {
        const unsigned char ca = pa[i], cb = pb[i];
        if (ca >= 0x80 || cb >= 0x80) {
            const QString sa = FromStoredUtf8(reinterpret_cast<const char*>(pa + i), lenA - i);
            const QString sb = FromStoredUtf8(reinterpret_cast<const char*>(pb + i), lenB - i);
            const int r = sa.compare(sb, Qt::CaseInsensitive);
            return r != 0 ? r : sa.compare(sb, Qt::CaseSensitive);
        }
        const unsigned char la = Lower(ca), lb = Lower(cb);
        if (la != lb) return la < lb ? -1 : 1;
    }
    return lenA - lenB;
}

void Fail(int rc, const QString& message) {
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw StoreError(
            errors::kLocked,
            QStringLiteral("The library is in use by another program; try again in a moment (%1).").arg(message));
    case SQLITE_READONLY:
        throw StoreError(errors::kReadOnly,
                         QStringLiteral("Cannot update: the library is read-only (%1).").arg(message));
    case SQLITE_FULL:
        throw StoreError(errors::kDiskFull, QStringLiteral("Not enough space on disk (%1).").arg(message));
    case SQLITE_CORRUPT:
        throw StoreError(errors::kCorrupt, QStringLiteral("The library is damaged (%1).").arg(message));
    case SQLITE_NOTADB:
        throw StoreError(errors::kUnrecognized, QStringLiteral("Unrecognized database format (%1).").arg(message));
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_IOERR:
        throw StoreError(errors::kNoAccess, QStringLiteral("The library cannot be read or written (%1).").arg(message));
    case SQLITE_CONSTRAINT:
        throw StoreError(errors::kGeneral,
                         QStringLiteral("The change breaks a rule of the library (%1).").arg(message));
    default:
        break;
    }
    if (message.startsWith(QLatin1String("no such table")) || message.startsWith(QLatin1String("no such view")))
        throw StoreError(errors::kMissingTable, QStringLiteral("The library lacks a table or query: %1.").arg(message));
    if (rc == SQLITE_ERROR)
        throw StoreError(errors::kSyntax, QStringLiteral("The statement cannot run: %1.").arg(message));
    throw StoreError(errors::kGeneral, message);
}

std::unique_ptr<Database> OpenFile(const QString& path, const QString& password, bool create, bool checkOurs) {
    qint64 size = 0;
    const QByteArray head = create ? QByteArray() : FileHead(path, &size);
    const bool plainFile = head.startsWith(QByteArray("SQLite format 3", 16));
    if (!create && size > 0 && !plainFile && password.isEmpty()) {
        // Without a key the bytes of an encrypted library look like noise: tell a
        // library that wants a password from a file that is no library at all.
        if (size % kCipherPageSize == 0)
            throw StoreError(errors::kBadPassword, QStringLiteral("Not a valid password."));
        throw StoreError(errors::kUnrecognized, QStringLiteral("Unrecognized database format '%1'.").arg(path));
    }
    OpenRequest r;
    r.path = QFile::encodeName(path);
    r.create = create;
    r.hostile = checkOurs;
    // A file that starts as a plain database is one, whatever password was given.
    const bool encrypted = !password.isEmpty() && !plainFile;
    if (encrypted) r.key = password.toUtf8();
    // The cipher engine parses the schema with an old SQLite: the schema page is
    // decrypted and checked without any engine first (docs/ENGINE.md).
    if (encrypted && !create && checkOurs) {
        QByteArray rawKey;
        const SchemaPage page = ReadSchemaPage(DecryptedSchemaPage(path, r.key, &rawKey), path);
        CheckSchema(page.applicationId, page.userVersion, page.rows, path);
        r.key.fill('\0');
        r.key = rawKey;
        rawKey.fill('\0');
    }
    std::unique_ptr<Database> db = encrypted ? cipher::Open(r) : plain::Open(r);
    r.key.fill('\0');
    if (!create) {
        std::unique_ptr<Statement> st;
        int rc = kOk;
        try {
            st = db->Prepare("SELECT count(*) FROM sqlite_master");
            rc = st->Step();
        } catch (const StoreError& e) {
            if (e.Number() != errors::kUnrecognized) throw;
            rc = SQLITE_NOTADB;
        }
        if (rc != kRow) {
            if ((rc & 0xFF) == SQLITE_NOTADB) {
                if (encrypted) throw StoreError(errors::kBadPassword, QStringLiteral("Not a valid password."));
                throw StoreError(errors::kUnrecognized, QStringLiteral("Unrecognized database format '%1'.").arg(path));
            }
            db->Fail(rc);
        }
        st.reset();
        if (checkOurs) CheckOurs(*db, path);
    }
    // A plain library is read through the page cache directly instead of
    // copied page by page: the search reads every snippet's content.
    if (!encrypted) db->Exec(QStringLiteral("PRAGMA mmap_size = 1073741824"));
    return db;
}

}  // namespace store::sqlite
