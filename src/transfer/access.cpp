#include "transfer/access.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>

extern "C" {
#include <mdbtools.h>
}

namespace transfer {

namespace {

// The longest text one field gives; a longer memo is refused rather than cut.
constexpr size_t kBindSize = 16 * 1024 * 1024;

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

struct Handle {
    MdbHandle* mdb = nullptr;
    ~Handle() {
        if (mdb) mdb_close(mdb);
    }
};

struct TableHandle {
    MdbTableDef* table = nullptr;
    ~TableHandle() {
        if (table) mdb_free_tabledef(table);
    }
};

void Open(Handle& h, const QString& path) {
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        throw Error{QStringLiteral("%1 cannot be read: %2").arg(Shown(path), probe.errorString())};
    if (!LooksLikeAccess(probe.read(32))) throw Error{QStringLiteral("%1 is not an Access file.").arg(Shown(path))};
    probe.close();
    h.mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!h.mdb) throw Error{QStringLiteral("%1 is not an Access file that can be read.").arg(Shown(path))};
    // Jet 3 keeps its texts in the code page of the machine that wrote it; the file says which.
    const guint16 page = h.mdb->f->code_page;
    if (h.mdb->f->jet_version == MDB_VER_JET3 && page != 1252 && page >= 874 && page <= 1258 &&
        !qEnvironmentVariableIsSet("MDB_JET3_CHARSET")) {
        mdb_close(h.mdb);
        qputenv("MDB_JET3_CHARSET", "CP" + QByteArray::number(page));
        h.mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
        qunsetenv("MDB_JET3_CHARSET");
        if (!h.mdb) throw Error{QStringLiteral("%1 is not an Access file that can be read.").arg(Shown(path))};
    }
    mdb_set_date_fmt(h.mdb, "%Y-%m-%d %H:%M:%S");
    if (!mdb_read_catalog(h.mdb, MDB_TABLE))
        throw Error{QStringLiteral("The tables of %1 cannot be read: the file is damaged, or protected in a way "
                                   "that cannot be opened here.")
                        .arg(Shown(path))};
    // Only now: the catalog is read into the library's own buffers of the default size.
    mdb_set_bind_size(h.mdb, kBindSize);
}

QList<MdbCatalogEntry*> UserTables(MdbHandle* mdb) {
    QList<MdbCatalogEntry*> tables;
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry)) tables << entry;
    }
    return tables;
}

QString TypeName(const MdbColumn* c) {
    switch (c->col_type) {
    case MDB_BOOL:
        return QStringLiteral("Yes/No");
    case MDB_BYTE:
        return QStringLiteral("Byte");
    case MDB_INT:
        return QStringLiteral("Integer");
    case MDB_LONGINT:
        return QStringLiteral("Long Integer");
    case MDB_MONEY:
        return QStringLiteral("Currency");
    case MDB_FLOAT:
        return QStringLiteral("Single");
    case MDB_DOUBLE:
        return QStringLiteral("Double");
    case MDB_DATETIME:
        return QStringLiteral("Date/Time");
    case MDB_BINARY:
        return QStringLiteral("Binary");
    case MDB_TEXT:
        return QStringLiteral("Text");
    case MDB_OLE:
        return QStringLiteral("OLE Object");
    case MDB_MEMO:
        return QStringLiteral("Memo");
    case MDB_REPID:
        return QStringLiteral("Replication ID");
    case MDB_NUMERIC:
        return QStringLiteral("Decimal");
    default:
        return QStringLiteral("type %1").arg(c->col_type);
    }
}

// One table read row by row, the wanted columns bound by name.
class Rows {
public:
    Rows(MdbHandle* mdb, const QString& path, const QString& name) : mdb_(mdb), path_(path), name_(name) {
        for (MdbCatalogEntry* e : UserTables(mdb))
            if (QString::fromUtf8(e->object_name).compare(name, Qt::CaseInsensitive) == 0)
                table_.table = mdb_read_table(e);
        if (!table_.table) throw Error{QStringLiteral("%1 has no table %2.").arg(Shown(path), name)};
        if (!mdb_read_columns(table_.table))
            throw Error{QStringLiteral("The columns of table %1 in %2 cannot be read.").arg(name, Shown(path))};
    }
    bool HasColumn(const QString& column) const { return Find(column) != nullptr; }
    // Binds a column; its text is Value(i) after each Next().
    int Bind(const QString& column) {
        MdbColumn* c = Find(column);
        if (!c) throw Error{QStringLiteral("Table %1 in %2 has no column %3.").arg(name_, Shown(path_), column)};
        bound_.push_back({c, std::unique_ptr<char[]>(new char[kBindSize]), 0});
        Slot& s = bound_.back();
        for (guint i = 0; i < table_.table->num_cols; ++i)
            if (g_ptr_array_index(table_.table->columns, i) == c)
                mdb_bind_column(table_.table, int(i) + 1, s.buffer.get(), &s.length);
        return int(bound_.size()) - 1;
    }
    bool Next() {
        if (!started_) {
            mdb_rewind_table(table_.table);
            started_ = true;
        }
        for (Slot& s : bound_) s.length = 0, s.buffer[0] = 0;
        if (!mdb_fetch_row(table_.table)) {
            if (read_ < table_.table->num_rows)
                throw Error{QStringLiteral("%1 is damaged: table %2 holds %3 rows, of which only %4 can be read.")
                                .arg(Shown(path_), name_)
                                .arg(table_.table->num_rows)
                                .arg(read_)};
            return false;
        }
        ++read_;
        for (Slot& s : bound_) {
            if (size_t(s.length) >= kBindSize - 4)
                throw Error{QStringLiteral("Row %1 of table %2 in %3 holds a text longer than 16 MB.")
                                .arg(read_)
                                .arg(name_, Shown(path_))};
            if (s.column->col_type == MDB_MEMO && s.length == 0 && s.column->cur_value_len >= 12 &&
                s.column->cur_value_start >= 0 && s.column->cur_value_start + 4 <= int(sizeof mdb_->pg_buf)) {
                quint32 header = 0;
                std::memcpy(&header, mdb_->pg_buf + s.column->cur_value_start, 4);
                if ((qFromLittleEndian(header) & 0x3FFFFFFF) != 0)
                    throw Error{QStringLiteral("%1 is damaged: a memo of row %2 of table %3 cannot be read.")
                                    .arg(Shown(path_))
                                    .arg(read_)
                                    .arg(name_)};
            }
        }
        return true;
    }
    QString Value(int slot) const {
        const Slot& s = bound_[size_t(slot)];
        return QString::fromUtf8(s.buffer.get(), s.length);
    }
    unsigned RowCount() const { return table_.table->num_rows; }

private:
    struct Slot {
        MdbColumn* column;
        std::unique_ptr<char[]> buffer;
        int length;
    };
    MdbColumn* Find(const QString& column) const {
        for (guint i = 0; i < table_.table->num_cols; ++i) {
            auto* c = static_cast<MdbColumn*>(g_ptr_array_index(table_.table->columns, i));
            if (QString::fromUtf8(c->name).compare(column, Qt::CaseInsensitive) == 0) return c;
        }
        return nullptr;
    }
    MdbHandle* mdb_;
    QString path_, name_;
    TableHandle table_;
    std::deque<Slot> bound_;  // the library keeps pointers to each slot's length: never moved
    bool started_ = false;
    unsigned read_ = 0;
};

QDateTime Date(const QString& text) { return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

}  // namespace

bool LooksLikeAccess(const QByteArray& head) {
    return head.size() >= 19 && head[0] == 0 &&
           (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

QString ListAccessTables(const QString& path) {
    Handle h;
    Open(h, path);
    QString out;
    for (MdbCatalogEntry* e : UserTables(h.mdb)) {
        TableHandle t{mdb_read_table(e)};
        if (!t.table || !mdb_read_columns(t.table))
            throw Error{QStringLiteral("The tables of %1 cannot be read.").arg(Shown(path))};
        out += QStringLiteral("%1\t%2 rows\n").arg(QString::fromUtf8(e->object_name)).arg(t.table->num_rows);
        for (guint i = 0; i < t.table->num_cols; ++i) {
            auto* c = static_cast<MdbColumn*>(g_ptr_array_index(t.table->columns, i));
            QString type = TypeName(c);
            if (c->col_type == MDB_TEXT)
                type +=
                    QStringLiteral("(%1)").arg(h.mdb->f->jet_version == MDB_VER_JET3 ? c->col_size : c->col_size / 2);
            out += QStringLiteral("\t%1\t%2\n").arg(QString::fromUtf8(c->name), type);
        }
    }
    return out;
}

Batch ReadAccess(const QString& path, const TableMapping& mapping, const QString& category, const CancelFlag* cancel) {
    Handle h;
    Open(h, path);
    Batch batch;
    if (mapping.table.isEmpty()) {
        int found = 0;
        for (MdbCatalogEntry* e : UserTables(h.mdb))
            for (const char* wanted : {"Types", "Code"})
                found += QString::fromUtf8(e->object_name).compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0;
        if (found != 2)
            throw Error{QStringLiteral("%1 holds no snippet library (tables Types and Code): take one of its tables "
                                       "with --table (its tables: import --list-tables).")
                            .arg(Shown(path))};
        QMap<qint64, QString> types;
        {
            Rows rows(h.mdb, path, QStringLiteral("Types"));
            const int id = rows.Bind(QStringLiteral("TypeID")), name = rows.Bind(QStringLiteral("TypeName"));
            while (rows.Next()) types.insert(rows.Value(id).toLongLong(), rows.Value(name));
        }
        batch.categories = types.values();  // ascending TypeID
        Rows rows(h.mdb, path, QStringLiteral("Code"));
        const int id = rows.Bind(QStringLiteral("ID")), type = rows.Bind(QStringLiteral("TypeID")),
                  name = rows.Bind(QStringLiteral("Name")), description = rows.Bind(QStringLiteral("Description")),
                  date = rows.Bind(QStringLiteral("DateAdded")), source = rows.Bind(QStringLiteral("Source")),
                  content = rows.Bind(QStringLiteral("Content"));
        QMap<qint64, Item> byId;
        while (rows.Next()) {
            CheckCancel(cancel);
            Item item;
            const qint64 typeId = rows.Value(type).toLongLong();
            item.category = types.value(typeId);
            if (!types.contains(typeId)) {
                item.category = category;
                batch.notes << QStringLiteral("%1: its category %2 does not exist; put into %3")
                                   .arg(rows.Value(name))
                                   .arg(typeId)
                                   .arg(category);
                if (!batch.categories.contains(category)) batch.categories << category;
            }
            item.name = rows.Value(name);
            item.description = rows.Value(description);
            item.source = rows.Value(source);
            item.content = rows.Value(content);
            item.date = Date(rows.Value(date));
            item.noDate = rows.Value(date).isEmpty();
            byId.insert(rows.Value(id).toLongLong(), item);
        }
        batch.items = byId.values();
        return batch;
    }
    Rows rows(h.mdb, path, mapping.table);
    const int name = rows.Bind(mapping.name), content = rows.Bind(mapping.content);
    const auto optional = [&](const QString& column) { return column.isEmpty() ? -1 : rows.Bind(column); };
    const int description = optional(mapping.description), source = optional(mapping.source),
              date = optional(mapping.date), categoryColumn = optional(mapping.categoryColumn);
    int row = 0;
    while (rows.Next()) {
        CheckCancel(cancel);
        ++row;
        Item item;
        item.name = rows.Value(name);
        item.content = rows.Value(content);
        if (item.name.isEmpty() || item.content.isEmpty()) {
            batch.skipped << QStringLiteral("row %1 of %2: %3")
                                 .arg(row)
                                 .arg(mapping.table,
                                      item.name.isEmpty() ? QStringLiteral("no name") : QStringLiteral("no content"));
            continue;
        }
        if (description >= 0) item.description = rows.Value(description);
        if (source >= 0) item.source = rows.Value(source);
        if (date >= 0) {
            item.date = Date(rows.Value(date));
            item.noDate = !item.date.isValid();
        }
        item.category =
            categoryColumn >= 0 && !rows.Value(categoryColumn).isEmpty() ? rows.Value(categoryColumn) : category;
        if (!batch.categories.contains(item.category)) batch.categories << item.category;
        batch.items << item;
    }
    return batch;
}

}  // namespace transfer
