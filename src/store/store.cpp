#include "store/store.h"
#include "store/utf8text.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QRegularExpression>

#include "store/generaldate.h"
#include "store/connectionstring.h"
#include "store/jetsql.h"
#include "store/pgengine.h"
#include "store/sqliteengine.h"
#include "store/statements.h"

namespace store {

StoreError::StoreError(long number, QString description)
    : number_(number), description_(std::move(description)), what_(Message().toUtf8()) {}

QString StoreError::Message() const { return QString::number(number_) + QStringLiteral(" # ") + description_; }

namespace {

// SNIPPARY_TRACE_SQL=FILE: every statement text, as the program issued it, one
// JSON object a line. Connection strings and passwords never pass through here.
void Trace(const QString& sql) {
    const QString file = qEnvironmentVariable("SNIPPARY_TRACE_SQL");
    if (file.isEmpty()) return;
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    QFile f(file);
    // The statements of an encrypted library carry its text in the clear: the
    // trace is created readable by its owner only.
    if (!f.open(QIODevice::Append | QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) return;
    QJsonObject o;
    o.insert(QStringLiteral("sql"), sql);
    f.write(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
}

// The engine takes statement texts as UTF-8 ending at the first NUL: a NUL would
// cut the statement short, and half of a UTF-16 pair would be stored as "?". Such
// text is refused whole, so what is stored is always what was given.
void RefuseUnstorable(const QString& sql) {
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        const char* what = nullptr;
        if (c.isNull())
            what = "a NUL character";
        else if (c.isHighSurrogate() && (i + 1 == n || !sql.at(i + 1).isLowSurrogate()))
            what = "half of a character pair (a lone UTF-16 surrogate)";
        else if (c.isLowSurrogate() && (i == 0 || !sql.at(i - 1).isHighSurrogate()))
            what = "half of a character pair (a lone UTF-16 surrogate)";
        if (what != nullptr)
            throw StoreError(errors::kSyntax,
                             QStringLiteral("The text holds %1, which the library cannot store; nothing was changed.")
                                 .arg(QLatin1String(what)));
    }
}

[[noreturn]] void Closed() {
    throw StoreError(errors::kClosed, QStringLiteral("Operation is not allowed when the object is closed."));
}

void Wipe(QString& s) {
    s.fill(u'\0');
    s.clear();
}

}  // namespace

struct Connection::Impl {
    // Shared with the recordsets opened on it: a recordset outliving Close() still
    // reports its errors through the database it was opened on.
    std::shared_ptr<sqlite::Database> db;
    std::shared_ptr<pg::Session> server;  // a team library instead of a file
    std::function<void()> reconnected;
    QString path;
    QString password;
};

// "SELECT * FROM qDisplay ..." reads the large Content column only when a row's
// content is asked for: the list never asks, the export asks row by row.
const QLatin1String kDisplayColumns("ID, TypeID, Name, Description, DateAdded, Source, TypeName, NULL AS Content");
constexpr int kLazyContentColumn = 7;

bool SelectsAllOfDisplay(const QString& sql) {
    static const QRegularExpression head(QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+qDisplay\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    return head.match(sql).hasMatch();
}

struct Recordset::Impl {
    Connection* con = nullptr;
    std::shared_ptr<sqlite::Database> db;  // of the statement below
    std::unique_ptr<sqlite::Statement> st;
    std::unique_ptr<sqlite::Statement> content;  // SELECT Content FROM Code WHERE ID=?, when lazy
    // Of a team library: all the rows, the current one, and the session for lazy content.
    std::shared_ptr<pg::Session> server;
    std::unique_ptr<pg::Rows> rows;
    int row = 0;
    bool lazy = false;
    bool eof = true;
    QList<QByteArray> names;
    int dateColumn = -1;

    QVariant LazyContent() const {
        content->Reset();
        content->BindInt64(1, st->ColumnInt64(0));
        const int rc = content->Step();
        if (rc == sqlite::kDone) return {};
        if (rc != sqlite::kRow) db->Fail(rc);
        if (content->ColumnType(0) == sqlite::kNull) return {};
        return FromStoredUtf8(reinterpret_cast<const char*>(content->ColumnText(0)), content->ColumnBytes(0));
    }

    void Step() {
        const int rc = st->Step();
        if (rc == sqlite::kRow) {
            eof = false;
        } else {
            eof = true;
            if (rc != sqlite::kDone) db->Fail(rc);
        }
    }
    bool IsOpen() const { return st != nullptr || rows != nullptr; }
    void Finish() {
        rows.reset();
        server.reset();
        lazy = false;
        row = 0;
        st.reset();
        content.reset();
        db.reset();
        eof = true;
        names.clear();
        dateColumn = -1;
    }
    QVariant Value(int i) const {
        if (!IsOpen()) Closed();
        if (eof)
            throw StoreError(errors::kEof,
                             QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
        if (i < 0 || i >= names.size())
            throw StoreError(errors::kFieldNotFound,
                             QStringLiteral("Item cannot be found in the collection corresponding to the "
                                            "requested name or ordinal."));
        if (rows != nullptr) {
            if (lazy && i == kLazyContentColumn) return server->Content(rows->Value(row, 0).toLongLong());
            return rows->Value(row, i);
        }
        if (content != nullptr && i == kLazyContentColumn) return LazyContent();
        switch (st->ColumnType(i)) {
        case sqlite::kNull:
            return {};
        case sqlite::kInteger:
            return QVariant(qint64(st->ColumnInt64(i)));
        case sqlite::kFloat:
            return QVariant(st->ColumnDouble(i));
        case sqlite::kBlob:
            return QByteArray(static_cast<const char*>(st->ColumnBlob(i)), st->ColumnBytes(i));
        default: {
            const auto* text = st->ColumnText(i);
            const int n = st->ColumnBytes(i);
            if (i == dateColumn) {
                const QDateTime when = jet::ReadIso(text, n);
                return when.isValid() ? QVariant(when) : QVariant();
            }
            return FromStoredUtf8(reinterpret_cast<const char*>(text), n);
        }
        }
    }
};

Connection::Connection() : d(std::make_unique<Impl>()) {}
Connection::~Connection() { Close(); }

void Connection::Open(const QString& connectionString, const QString& userId, const QString& password, long options) {
    Q_UNUSED(userId);
    Q_UNUSED(options);
    Close();
    store::PinLocalTimeZone();  // the list makes a date for every row
    ConnectionString cs = ConnectionString::Parse(connectionString);
    // The dialog gives the password in the string; a password argument counts the same.
    const QString key = cs.password.isEmpty() ? password : cs.password;
    try {
        if (cs.provider == ConnectionString::PostgreSQL) {
            d->server = pg::Open(cs.dataSource, key, true);
            d->server->OnReconnected([impl = d.get()] {
                if (impl->reconnected) impl->reconnected();
            });
            WipeSecret(cs.password);
            d->path = d->server->Address();
            return;
        }
        d->db = sqlite::OpenFile(cs.dataSource, key, false, true);
    } catch (...) {
        WipeSecret(cs.password);  // a wrong password is often nearly the right one
        throw;
    }
    d->path = cs.dataSource;
    d->password = key;
}

long Connection::State() const { return d->db != nullptr || d->server != nullptr ? adStateOpen : adStateClosed; }

void Connection::Close() {
    if (State() == adStateClosed) return;
    d->db.reset();
    // A recordset may keep the session alive: it no longer calls back into this connection.
    if (d->server != nullptr) d->server->OnReconnected({});
    d->server.reset();
    d->path.clear();
    Wipe(d->password);
}

long Connection::Execute(const QString& commandText) {
    Trace(commandText);
    if (State() == adStateClosed) Closed();
    RefuseUnstorable(commandText);
    if (d->server != nullptr) return d->server->Execute(commandText);
    d->db->Exec(jet::Translate(commandText));
    return d->db->Changes();
}

void Connection::OnReconnected(std::function<void()> handler) { d->reconnected = std::move(handler); }

qint64 Connection::Load(const QString& table, const QStringList& columns, const RowSource& next) {
    if (State() == adStateClosed) Closed();
    if (d->server != nullptr) {
        Trace(QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(u',')));
        return d->server->Load(table, columns, [&](QVariantList& row) {
            if (!next(row)) return false;
            for (const QVariant& v : row)
                if (v.typeId() == QMetaType::QString) RefuseUnstorable(v.toString());
            return true;
        });
    }
    // A file takes its rows as statements, as it takes every change.
    const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES(").arg(table, columns.join(u','));
    qint64 count = 0;
    QVariantList row;
    while (next(row)) {
        QStringList values;
        for (const QVariant& v : row) {
            if (v.isNull())
                values << QStringLiteral("NULL");
            else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
                values << QString::number(v.toLongLong());
            else if (v.typeId() == QMetaType::QDateTime)
                values << u'\'' + GeneralDate(v.toDateTime()) + u'\'';  // as statement 11 writes a date
            else
                values << u'\'' + SqlQuote(v.toString()) + u'\'';
        }
        Execute(head + values.join(u',') + u')');
        ++count;
    }
    return count;
}

qint64 Connection::LastInsertId() const {
    if (State() == adStateClosed) Closed();
    if (d->server != nullptr) return d->server->LastInsertId();
    return d->db->LastInsertId();
}

void Connection::BeginTrans() {
    if (State() == adStateClosed) Closed();
    if (d->server != nullptr) return d->server->Begin();
    // IMMEDIATE: the write lock is taken now, so a busy library is reported
    // before the first change, not in the middle.
    d->db->Exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void Connection::CommitTrans() {
    if (State() == adStateClosed) Closed();
    if (d->server != nullptr) return d->server->Commit();
    d->db->Exec(QStringLiteral("COMMIT"));
}

void Connection::RollbackTrans() {
    if (State() == adStateClosed) Closed();
    if (d->server != nullptr) return d->server->Rollback();
    if (!d->db->InTransaction()) return;  // nothing left to undo
    d->db->Exec(QStringLiteral("ROLLBACK"));
}

QString Connection::DataSource() const { return d->path; }

bool Connection::ChangedByOthers() { return d->server != nullptr && d->server->ChangedByOthers(); }

int Connection::ChangeSocket() const { return d->server != nullptr ? d->server->Socket() : -1; }

Recordset::Recordset() : d(std::make_unique<Impl>()) {}
Recordset::~Recordset() { Close(); }

void Recordset::Open(const QString& source, Connection* activeConnection) {
    Close();
    Trace(source);
    if (activeConnection != nullptr) d->con = activeConnection;
    if (d->con == nullptr || d->con->State() == adStateClosed) Closed();
    RefuseUnstorable(source);
    if (const std::shared_ptr<pg::Session> server = d->con->d->server) {
        QString text = source;
        d->lazy = SelectsAllOfDisplay(text);
        if (d->lazy) text.replace(text.indexOf(u'*'), 1, kDisplayColumns);
        try {
            d->rows = server->Query(text);
        } catch (...) {
            d->Finish();
            throw;
        }
        d->server = server;
        d->row = 0;
        d->eof = d->rows->Count() == 0;
        for (int i = 0; i < d->rows->Columns(); ++i) d->names.append(d->rows->Name(i));
        return;
    }
    const std::shared_ptr<sqlite::Database> db = d->con->d->db;
    QString translated = jet::Translate(source);
    const bool lazy = SelectsAllOfDisplay(translated);
    try {
        if (lazy) {
            translated.replace(translated.indexOf(u'*'), 1, kDisplayColumns);
            d->content = db->Prepare("SELECT Content FROM Code WHERE ID=?");
        }
        d->st = db->Prepare(translated.toUtf8());
    } catch (...) {
        d->Finish();
        throw;
    }
    if (d->st == nullptr) {
        d->Finish();
        throw StoreError(errors::kSyntax, QStringLiteral("The statement cannot run: it is empty."));
    }
    d->db = db;
    const int n = d->st->ColumnCount();
    for (int i = 0; i < n; ++i) {
        d->names.append(d->st->ColumnName(i));
        if (d->names.last().compare("DateAdded", Qt::CaseInsensitive) == 0) d->dateColumn = i;
    }
    try {
        d->Step();
    } catch (...) {
        d->Finish();
        throw;
    }
}

long Recordset::State() const { return d->IsOpen() ? adStateOpen : adStateClosed; }

bool Recordset::Eof() const {
    if (!d->IsOpen()) Closed();
    return d->eof;
}

QVariant Recordset::Fields(const QString& name) const {
    const QByteArray wanted = name.toUtf8();
    for (int i = 0; i < d->names.size(); ++i)
        if (d->names[i].compare(wanted, Qt::CaseInsensitive) == 0) return d->Value(i);
    if (!d->IsOpen()) Closed();
    throw StoreError(errors::kFieldNotFound,
                     QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                                    "name or ordinal."));
}

QVariant Recordset::Fields(int index) const { return d->Value(index); }

void Recordset::MoveNext() {
    if (!d->IsOpen()) Closed();
    if (d->eof)
        throw StoreError(errors::kEof,
                         QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    if (d->rows != nullptr) {
        d->eof = ++d->row >= d->rows->Count();
        return;
    }
    d->Step();
}

void Recordset::MoveFirst() {
    if (!d->IsOpen()) Closed();
    if (d->rows != nullptr) {
        d->row = 0;
        d->eof = d->rows->Count() == 0;
        return;
    }
    d->st->Reset();
    d->Step();
}

void Recordset::Close() {
    if (d->IsOpen()) d->Finish();
}

}  // namespace store
