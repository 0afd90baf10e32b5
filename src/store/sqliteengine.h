#pragma once
// SQLite specifics of the store: opening a library file (plain or encrypted) on the
// engine that suits it, the functions and collation the translated statements use,
// and errors in store terms. Two engines sit behind one interface: the system's
// maintained SQLite for plain libraries, SQLCipher for encrypted ones (docs/ENGINE.md).
#include <QByteArray>
#include <QString>
#include <memory>

namespace store::sqlite {

constexpr int kApplicationId = 0x534E4950;  // "SNIP": the file is one of our libraries
constexpr int kSchemaVersion = 2;           // 2: category names are unique, ignoring case
constexpr int kCipherPageSize = 4096;       // must match at every open of an encrypted file
constexpr int kBusyTimeoutMs = 3000;        // a locked library waits this long, then reports
// A plain library is mapped and its pages read in at open, as far as its header
// says the database reaches and at most this far (the largest benchmark library is
// 246 MB); beyond, pages are read as a query touches them.
constexpr long long kPopulateBytes = 320LL << 20;

// Result codes and column types: the same numbers in every SQLite.
constexpr int kOk = 0, kError = 1, kRow = 100, kDone = 101;
constexpr int kInteger = 1, kFloat = 2, kText = 3, kBlob = 4, kNull = 5;

// One prepared statement of one engine.
class Statement {
public:
    virtual ~Statement() = default;
    virtual int Step() = 0;  // kRow, kDone or the engine's error code
    virtual void Reset() = 0;
    virtual void BindInt64(int index, qint64 value) = 0;
    virtual int ColumnCount() = 0;
    virtual QByteArray ColumnName(int i) = 0;
    virtual int ColumnType(int i) = 0;
    virtual qint64 ColumnInt64(int i) = 0;
    virtual double ColumnDouble(int i) = 0;
    virtual const unsigned char* ColumnText(int i) = 0;
    virtual const void* ColumnBlob(int i) = 0;
    virtual int ColumnBytes(int i) = 0;
};

// One open library file; closed when destroyed.
class Database {
public:
    virtual ~Database() = default;
    // Runs one or more statements that return no rows. Throws StoreError.
    virtual void Exec(const QString& sql) = 0;
    // Null when the text holds no statement. Throws StoreError.
    virtual std::unique_ptr<Statement> Prepare(const QByteArray& sql) = 0;
    virtual qint64 LastInsertId() = 0;
    // The rows the last change statement changed.
    virtual long Changes() = 0;
    virtual bool InTransaction() = 0;
    // Throws the store error for the database's last failure, code `rc`.
    [[noreturn]] virtual void Fail(int rc) = 0;
    virtual bool Encrypted() const = 0;
    virtual QString EngineVersion() = 0;
};

// Opens the file read-write (never creates it unless `create`), on the engine that
// suits it, with the store's functions and without the engine's internal ones.
// When `checkOurs`, refuses a file that is not exactly one of our libraries (mark,
// version, tables, indexes, view; nothing else) before anything reads its tables.
// Throws StoreError; never returns null. `checkOurs` false is for making libraries.
std::unique_ptr<Database> OpenFile(const QString& path, const QString& password, bool create, bool checkOurs);

// The store error for engine result `rc` with the engine's message.
[[noreturn]] void Fail(int rc, const QString& message);

// The Instr of the store's statements (1-based position, 0 when absent, Null for
// Null), ignoring case; one copy for both engines' drivers.
qint64 Instr(const char* hay, int hayLen, const char* needle, int needleLen);
// The collation of the store's ORDER BY: case ignored, ASCII compared in place.
int CompareText(int lenA, const void* a, int lenB, const void* b);

// The schema statements of a new library, one per entry; exposed for the check.
const char* const* SchemaStatements(int version, int* count);

}  // namespace store::sqlite
