#include "store/sqliteengine.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <sqlcipher/sqlite3.h>

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
        while (k < needleLen &&
               Lower(static_cast<unsigned char>(c[k])) == Lower(static_cast<unsigned char>(needle[k])))
            ++k;
        if (k == needleLen) return int(c - hay);
        if (c == lo) lo = next(c + 1, first);
        else up = next(c + 1, firstUp);
    }
}

void InstrFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc < 2) return;
    // Jet's Instr has an optional start position first: Instr([start,] text, what).
    int base = 0;
    qint64 start = 1;
    if (argc == 3) {
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
        start = sqlite3_value_int64(argv[0]);
        base = 1;
    }
    if (sqlite3_value_type(argv[base]) == SQLITE_NULL || sqlite3_value_type(argv[base + 1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const char* hay = reinterpret_cast<const char*>(sqlite3_value_text(argv[base]));
    const int hayLen = sqlite3_value_bytes(argv[base]);
    const char* needle = reinterpret_cast<const char*>(sqlite3_value_text(argv[base + 1]));
    const int needleLen = sqlite3_value_bytes(argv[base + 1]);
    if (start <= 1) {
        sqlite3_result_int64(ctx, Instr(hay, hayLen, needle, needleLen));
        return;
    }
    const QString h = QString::fromUtf8(hay, hayLen);
    const QString n = QString::fromUtf8(needle, needleLen);
    const qsizetype at = h.indexOf(n, qsizetype(start - 1), Qt::CaseInsensitive);
    sqlite3_result_int64(ctx, at < 0 ? 0 : qint64(at) + 1);
}

// Jet sorts text without regard to case; ASCII is compared in place, other text
// through Qt's case folding.
int TextCollation(void*, int lenA, const void* a, int lenB, const void* b) {
    const auto* pa = static_cast<const unsigned char*>(a);
    const auto* pb = static_cast<const unsigned char*>(b);
    const int n = lenA < lenB ? lenA : lenB;
    for (int i = 0; i < n; ++i) {
        const unsigned char ca = pa[i], cb = pb[i];
        if (ca >= 0x80 || cb >= 0x80) {
            const QString sa = QString::fromUtf8(reinterpret_cast<const char*>(pa + i), lenA - i);
            const QString sb = QString::fromUtf8(reinterpret_cast<const char*>(pb + i), lenB - i);
            const int r = sa.compare(sb, Qt::CaseInsensitive);
            return r != 0 ? r : sa.compare(sb, Qt::CaseSensitive);
        }
        const unsigned char la = Lower(ca), lb = Lower(cb);
        if (la != lb) return la < lb ? -1 : 1;
    }
    return lenA - lenB;
}

void Register(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "jet_instr", 2, flags, nullptr, InstrFunction, nullptr, nullptr);
    sqlite3_create_function(db, "jet_instr", 3, flags, nullptr, InstrFunction, nullptr, nullptr);
    sqlite3_create_collation(db, "jet_text", SQLITE_UTF8, nullptr, TextCollation);
}

// The engine maps a plain library and then touches its pages one by one; each first
// touch is a page fault, and faults are what a list or a search of a large library
// spends most of its time on. Mapping with MAP_POPULATE fills the whole mapping in
// one call instead. The engine lets a program replace its system calls for this.
void* PopulatingMmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) {
    return mmap(addr, length, prot, flags | MAP_POPULATE, fd, offset);
}

void UsePopulatingMmap() {
    static const bool done = [] {
        sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
        if (vfs != nullptr && vfs->iVersion >= 3 && vfs->xSetSystemCall != nullptr)
            vfs->xSetSystemCall(vfs, "mmap", reinterpret_cast<sqlite3_syscall_ptr>(&PopulatingMmap));
        return true;
    }();
    (void)done;
}

QByteArray FileHead(const QString& path, qint64* size) {
    QFile f(path);
    *size = f.size();
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.read(16);
}

qint64 ScalarInt(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (rc != SQLITE_OK) Fail(db, rc);
    rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) {
        sqlite3_finalize(st);
        Fail(db, rc == SQLITE_DONE ? SQLITE_ERROR : rc);
    }
    const qint64 v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return v;
}

}  // namespace

qint64 Instr(const char* hay, int hayLen, const char* needle, int needleLen) {
    if (hayLen == 0) return 0;
    if (needleLen == 0) return 1;
    if (IsAscii(needle, needleLen)) {
        const int at = FindAsciiNoCase(hay, hayLen, needle, needleLen);
        if (at >= 0) return Utf16Units(hay, at) + 1;
        if (IsAscii(hay, hayLen)) return 0;
        // A few non-ASCII letters fold to ASCII ones (the Kelvin sign to k): let Qt decide.
    }
    const QString h = QString::fromUtf8(hay, hayLen);
    const QString n = QString::fromUtf8(needle, needleLen);
    const qsizetype at = h.indexOf(n, 0, Qt::CaseInsensitive);
    return at < 0 ? 0 : qint64(at) + 1;
}

void Fail(sqlite3* db, int rc, const QString& sqlText) {
    const QString message = db != nullptr ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    Q_UNUSED(sqlText);
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw StoreError(errors::kLocked,
                         QStringLiteral("The library is in use by another program; try again in a moment (%1).")
                             .arg(message));
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
        throw StoreError(errors::kGeneral, QStringLiteral("The change breaks a rule of the library (%1).").arg(message));
    default:
        break;
    }
    if (message.startsWith(QLatin1String("no such table")) || message.startsWith(QLatin1String("no such view")))
        throw StoreError(errors::kMissingTable,
                         QStringLiteral("The library lacks a table or query: %1.").arg(message));
    if (rc == SQLITE_ERROR) throw StoreError(errors::kSyntax, QStringLiteral("The statement cannot run: %1.").arg(message));
    throw StoreError(errors::kGeneral, message);
}

void Exec(sqlite3* db, const QString& sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) Fail(db, rc, sql);
}

sqlite3* OpenFile(const QString& path, const QString& password, bool create, bool checkOurs) {
    const QFileInfo info(path);
    if (!create) {
        if (!info.exists())
            throw StoreError(errors::kFileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
        if (info.isDir())
            throw StoreError(errors::kNotAFile, QStringLiteral("'%1' is a folder, not a library file.").arg(path));
        if (!info.isReadable())
            throw StoreError(errors::kNoAccess,
                             QStringLiteral("The file '%1' cannot be opened: permission denied.").arg(path));
    }
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

    UsePopulatingMmap();
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close_v2(db);
        throw StoreError(errors::kNoAccess, QStringLiteral("The file '%1' cannot be opened (%2).").arg(path, message));
    }
    try {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        sqlite3_extended_result_codes(db, 0);
        // A build without the cipher would store "encrypted" libraries in the clear:
        // if another SQLite was linked first, no library is opened at all.
        {
            sqlite3_stmt* st = nullptr;
            const bool haveCipher = sqlite3_prepare_v2(db, "PRAGMA cipher_version", -1, &st, nullptr) == SQLITE_OK &&
                                    sqlite3_step(st) == SQLITE_ROW && sqlite3_column_bytes(st, 0) > 0;
            sqlite3_finalize(st);
            if (!haveCipher)
                throw StoreError(errors::kProvider,
                                 QStringLiteral("This program was built with an SQLite that cannot encrypt (no "
                                                "SQLCipher); it opens no library."));
        }
        if (!password.isEmpty() && !plainFile) {
            QByteArray key = password.toUtf8();
            rc = sqlite3_key(db, key.constData(), int(key.size()));
            explicit_bzero(key.data(), size_t(key.size()));  // the engine keeps its own copy
            if (rc != SQLITE_OK) Fail(db, rc);
            Exec(db, QStringLiteral("PRAGMA cipher_page_size = %1").arg(kCipherPageSize));
        }
        if (!create) {
            sqlite3_stmt* st = nullptr;
            rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &st, nullptr);
            if (rc == SQLITE_OK) rc = sqlite3_step(st);
            sqlite3_finalize(st);
            if (rc != SQLITE_ROW) {
                if ((rc & 0xFF) == SQLITE_NOTADB) {
                    if (!password.isEmpty())
                        throw StoreError(errors::kBadPassword, QStringLiteral("Not a valid password."));
                    throw StoreError(errors::kUnrecognized,
                                     QStringLiteral("Unrecognized database format '%1'.").arg(path));
                }
                Fail(db, rc);
            }
            if (checkOurs && (ScalarInt(db, "PRAGMA application_id") != kApplicationId ||
                              ScalarInt(db, "PRAGMA user_version") != kSchemaVersion))
                throw StoreError(errors::kUnrecognized,
                                 QStringLiteral("'%1' is not a snippet library.").arg(path));
        }
        // A plain library is read through the page cache directly instead of
        // copied page by page: the search reads every snippet's content.
        if (password.isEmpty() || plainFile) Exec(db, QStringLiteral("PRAGMA mmap_size = 1073741824"));
        Register(db);
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    return db;
}

void CloseFile(sqlite3* db) { sqlite3_close_v2(db); }

}  // namespace store::sqlite
