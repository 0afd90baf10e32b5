#pragma once
// The library store: a connection and a recordset shaped like the ones the
// windows were designed against, over one SQLite (SQLCipher) file. Statement texts
// arrive in the Jet dialect and are translated inside this layer.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <exception>
#include <functional>
#include <memory>

namespace store {

// Every failure of the store: a number and a readable description. Windows show
// it as number + " # " + description (Message()).
class StoreError : public std::exception {
public:
    StoreError(long number, QString description);
    long Number() const { return number_; }
    const QString& Description() const { return description_; }
    QString Message() const;  // "3024 # Could not find file '/x.snip'."
    const char* what() const noexcept override { return what_.constData(); }

private:
    long number_;
    QString description_;
    QByteArray what_;
};

// The error numbers the store raises.
namespace errors {
constexpr long kBadArguments = 3001;  // malformed connection string
constexpr long kFileNotFound = 3024;  // "Could not find file '<path>'."
constexpr long kDiskFull = 3026;
constexpr long kReadOnly = 3027;
constexpr long kBadPassword = 3031;  // "Not a valid password."
constexpr long kNotAFile = 3044;     // a folder given as the library
constexpr long kCorrupt = 3049;
constexpr long kNoAccess = 3051;
constexpr long kSyntax = 3075;        // a statement that does not parse
constexpr long kMissingTable = 3078;  // the library lacks a table or the view
constexpr long kLocked = 3260;        // another program holds the library
constexpr long kFieldNotFound = 3265;
constexpr long kEof = 3021;                // a field read at end of the rows
constexpr long kUnrecognized = 3343;       // not a library, or not a database at all
constexpr long kForeignSchema = 3342;      // a library file with tables, views or triggers not of ours
constexpr long kDuplicate = 3022;          // a second category of one name
constexpr long kDeleted = 3167;            // a snippet another writer deleted
constexpr long kTypeMismatch = 3464;       // a date text that reads as no date
constexpr long kClosed = 3704;             // an operation on a closed object
constexpr long kProvider = 3706;           // unknown provider
constexpr long kExists = 3204;             // creating over an existing file
constexpr long kChanged = 3197;            // changed by someone else since it was read
constexpr long kServerUnreachable = 3151;  // a team library's server cannot be reached
constexpr long kConnectionLost = 3146;     // the server dropped the connection
constexpr long kGeneral = 3000;            // anything else the engine reports
}  // namespace errors

constexpr long adStateClosed = 0;
constexpr long adStateOpen = 1;

class Recordset;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the library the connection string names (see ConnectionString).
    // Throws StoreError: missing file, not a library, wrong password, ...
    void Open(const QString& connectionString, const QString& userId = QString(), const QString& password = QString(),
              long options = -1);
    long State() const;  // adStateOpen or adStateClosed
    void Close();        // closing a closed connection does nothing
    // Runs an INSERT, UPDATE or DELETE text and gives the number of rows it changed
    // (an UPDATE of a row that is gone changes none); throws StoreError.
    long Execute(const QString& commandText);

    // Beyond the original: the row id the last insert on this connection created,
    // and transactions (nested calls are not supported).
    qint64 LastInsertId() const;
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    // The path of the open library (empty when closed).
    QString DataSource() const;
    // A team library: true when others changed it since the last call (the first
    // call starts the watch); its connection's socket, readable when such news may
    // have come. A file library: false and -1.
    bool ChangedByOthers();
    int ChangeSocket() const;
    // A team library: `handler` runs after its connection was made again (the
    // socket above is then a new one); none for a file library.
    void OnReconnected(std::function<void()> handler);
    // Beyond the original: many rows into one table (a whole library copied),
    // inside the caller's transaction; a team library takes them as COPY streams.
    // `next` fills one row's values in the order of `columns` (a null QVariant for
    // Null; integers, texts, dates) and gives false after the last. The rows written.
    using RowSource = std::function<bool(QVariantList&)>;
    qint64 Load(const QString& table, const QStringList& columns, const RowSource& next);

    struct Impl;

private:
    std::unique_ptr<Impl> d;
    friend class Recordset;
};

// A forward-only reader over one SELECT; rows are read as it moves, never all
// at once, so a large library does not sit in memory twice.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs `source` on `activeConnection`, or on the connection this recordset
    // was last opened with when it is null. Positioned on the first row, or at
    // end. Throws StoreError.
    void Open(const QString& source, Connection* activeConnection = nullptr);
    long State() const;
    bool Eof() const;  // EOF: true after the last row
    // The column's value of the current row; a null QVariant for Null. Integers
    // come as qint64, texts as QString, DateAdded as QDateTime (local, no zone).
    // Throws StoreError for an unknown column or when at end.
    QVariant Fields(const QString& name) const;
    QVariant Fields(int index) const;
    void MoveNext();
    void MoveFirst();
    void Close();

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

}  // namespace store
