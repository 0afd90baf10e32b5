#pragma once
// SQLite specifics of the store: opening a library file (plain or encrypted), the
// functions and collation the translated statements use, and errors in store terms.
#include <QString>

struct sqlite3;

namespace store::sqlite {

constexpr int kApplicationId = 0x534E4950;  // "SNIP": the file is one of our libraries
constexpr int kSchemaVersion = 1;
constexpr int kCipherPageSize = 4096;       // must match at every open of an encrypted file
constexpr int kBusyTimeoutMs = 3000;        // a locked library waits this long, then reports

// Opens the file read-write (never creates it), applies the key, registers the
// store's functions; when `checkOurs`, refuses a file that is not a library.
// Throws StoreError; never returns null.
sqlite3* OpenFile(const QString& path, const QString& password, bool create, bool checkOurs);
void CloseFile(sqlite3* db);
// Runs one or more statements that return no rows. Throws StoreError.
void Exec(sqlite3* db, const QString& sql);
// Throws the store error for the database's last failure, code `rc`.
[[noreturn]] void Fail(sqlite3* db, int rc, const QString& sqlText = QString());

// The Instr of the store's statements (1-based position, 0 when absent, Null for
// Null), ignoring case; exposed for tests and benchmarks.
qint64 Instr(const char* hay, int hayLen, const char* needle, int needleLen);

}  // namespace store::sqlite
