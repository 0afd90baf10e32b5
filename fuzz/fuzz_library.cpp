// Library files from someone else: the first byte chooses how the input makes one.
//   'F' + bytes: the bytes are the whole file (seeds are real libraries).
//   'S' + lines: a real library whose schema rows are changed, one line each:
//                "type name table sql..." adds a row, "-name" removes one.
//   'P' + bytes: a first page, read by the schema reader of encrypted libraries.
// The file is then opened as the program opens a library and the catalogue's
// statements run on it. Opening may refuse the file; nothing may crash.
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdlib>

#include "store/cipherpage.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "store/sqliteengine.h"
#include "store/statements.h"
#include "store/store.h"

namespace {

template <typename F>
bool Try(F f) {
    try {
        f();
        return true;
    } catch (const store::StoreError&) {
        return false;
    }
}

const QString kInput = (new QTemporaryDir())->filePath("input.snip");

bool Write(const QByteArray& bytes) {
    QFile::remove(kInput + "-journal");
    QFile f(kInput);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The bytes of a real library with two snippets.
const QByteArray& Base() {
    static const QByteArray bytes = [] {
        const QString path = kInput + ".base";
        store::CreateLibrary(path, QString(), false);
        store::Connection con;
        con.Open(store::ConnectionString::ForLibrary(path).Build());
        con.Execute(store::stmt::InsertCode(1, "a'b", "d", "1/1/2002", "s", "Sub x()\r\nEnd Sub"));
        con.Execute(store::stmt::InsertCode(4, "c", "", "12/31/2003 11:59:59 PM", "", "Instr(Content,'x')"));
        con.Close();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) std::abort();
        return f.readAll();
    }();
    return bytes;
}

QString Literal(const QString& s) { return "'" + QString(s).replace("'", "''") + "'"; }

// Changes the schema rows of the library at kInput.
bool Rewrite(const QString& lines) {
    QString sql = QStringLiteral("PRAGMA writable_schema=ON;");
    for (const QString& line : lines.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList w = line.split(u' ');
        if (line.startsWith(u'-'))
            sql += QStringLiteral("DELETE FROM sqlite_master WHERE name=%1;").arg(Literal(line.mid(1)));
        else if (w.size() >= 4)
            sql += QStringLiteral("INSERT INTO sqlite_master VALUES(%1,%2,%3,0,%4);")
                       .arg(Literal(w[0]), Literal(w[1]), Literal(w[2]), Literal(w.mid(3).join(u' ')));
    }
    return Try([&] { store::sqlite::OpenFile(kInput, QString(), false, false)->Exec(sql); });
}

// What the window and the command line ask of a library, in their order.
void RunCatalogue() {
    store::Connection con;
    if (!Try([&] { con.Open(store::ConnectionString::ForLibrary(kInput).Build()); })) return;
    store::Recordset rs;
    QList<qint64> types{1}, ids{1};  // 1 stands in where the library gives none
    Try([&] {
        for (rs.Open(store::stmt::SelectTypes(), &con); !rs.Eof() && types.size() < 50; rs.MoveNext()) {
            (void)rs.Fields("TypeName");
            types << rs.Fields("TypeID").toLongLong();
        }
    });
    Try([&] {
        const QString find = store::BuildFind("x", {true, true, true, true}, "1/1/2000", "");
        const QString sql = store::stmt::SelectDisplay(store::BuildWhere(types), find, store::OrderForColumn(4, ""));
        for (rs.Open(sql, &con); !rs.Eof() && ids.size() < 50; rs.MoveNext()) {
            for (const char* c : {"Name", "TypeName", "Description", "DateAdded", "Source", "Content"})
                (void)rs.Fields(c);
            ids << rs.Fields("ID").toLongLong();
        }
    });
    const qint64 id = ids.last(), type = types.last();
    Try([&] { rs.Open(store::stmt::SelectContent(id), &con); });
    Try([&] { rs.Open(store::stmt::SelectMaxId(), &con); });
    rs.Close();
    // Changes are undone at the end: a commit's flush to disk would cost more than the rest.
    Try([&] { con.BeginTrans(); });
    for (const QString& change :
         {store::stmt::UpdateContent(id, "c"), store::stmt::UpdateDescription(id, "d'"),
          store::stmt::UpdateSource(id, "s"), store::stmt::InsertType("New"),
          store::stmt::InsertCode(type, "n", "d", "1/2/2003", "s", "c"), store::stmt::DeleteCode(id),
          store::stmt::DeleteTypeByName("New"), store::stmt::DeleteCodeOfType(type)})
        Try([&] { con.Execute(change); });
    Try([&] { con.RollbackTrans(); });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1 << 20)) return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    if (data[0] == 'P')
        Try([&] { store::sqlite::ReadSchemaPage(rest, QStringLiteral("page")); });
    else if ((data[0] == 'F' && Write(rest)) || (data[0] == 'S' && Write(Base()) && Rewrite(QString::fromUtf8(rest))))
        RunCatalogue();
    return 0;
}
