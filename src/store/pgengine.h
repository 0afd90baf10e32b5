#pragma once
// A team library on a PostgreSQL server, reached through libpq: the same
// statement texts as a library file, translated for the server, with every quoted
// text sent as a parameter.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace store::pg {

// "postgresql://..." or "postgres://...": a library on a server, not a file.
bool IsAddress(const QString& text);
// The address as it may be shown: a password written into it is left out.
QString ShownAddress(const QString& address);

// The rows of one SELECT, all fetched.
class Rows {
public:
    virtual ~Rows() = default;
    virtual int Count() const = 0;
    virtual int Columns() const = 0;
    virtual QByteArray Name(int column) const = 0;
    // Null as a null QVariant; integers as qint64, timestamps as QDateTime, else QString.
    virtual QVariant Value(int row, int column) const = 0;
};

// One connection to the server.
class Session {
public:
    virtual ~Session() = default;
    // Runs a change statement; the rows it changed. Throws StoreError.
    virtual long Execute(const QString& jetSql) = 0;
    virtual std::unique_ptr<Rows> Query(const QString& jetSql) = 0;
    // The content of snippet `id` (lazy reading of the list's rows); null when none.
    virtual QVariant Content(qint64 id) = 0;
    virtual qint64 LastInsertId() const = 0;
    // Rows into `table` as a COPY stream (Connection::Load); inside a transaction a
    // big load goes in two, one per server process, and both end with its commit.
    virtual qint64 Load(const QString& table, const QStringList& columns,
                        const std::function<bool(QVariantList&)>& next) = 0;
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    virtual QString Address() const = 0;
    // True when others changed the library since the last call (their changes are
    // announced by the library's triggers; this session's own are not counted).
    virtual bool ChangedByOthers() = 0;
    // The connection's socket: readable when an announcement may have come.
    virtual int Socket() const = 0;
    // Called after the connection was made again (its socket is a new one).
    virtual void OnReconnected(std::function<void()> handler) = 0;
};

// Connects to `address` with `password` (empty: libpq's own ways, ~/.pgpass and
// the PG* variables). When `checkOurs`, refuses a database that holds no snippet
// library. Throws StoreError.
std::unique_ptr<Session> Open(const QString& address, const QString& password, bool checkOurs);

// Makes the tables, the view, the indexes and the five permanent categories in
// the existing database at `address`; refuses one that already holds any of them.
void CreateLibrary(const QString& address, const QString& password);

}  // namespace store::pg
