// The store's contract on real libraries: files, plain and encrypted, and a
// library on the tests' own PostgreSQL server.
#include <QtTest>
#include <QProcess>
#include <QScopeGuard>
#include <csignal>
#include <functional>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store/generaldate.h"
#include "testlibrary.h"
#include "testsupport.h"
#include "store/operations.h"
#include "store/sqliteengine.h"
#include "store/statements.h"
#include "store/store.h"

using namespace store;
using testsupport::ConnectionText;
using testsupport::NewLibrary;
using testsupport::OpenLibrary;

namespace {

// Number of the StoreError `f` throws; 0 when it throws none.
template <typename F>
long ErrorOf(F f) {
    try {
        f();
    } catch (const StoreError& e) {
        return e.Number();
    }
    return 0;
}

QStringList Column(Connection& con, const QString& sql, const QString& column) {
    QStringList out;
    Recordset rs;
    rs.Open(sql, &con);
    for (; !rs.Eof(); rs.MoveNext()) out << rs.Fields(column).toString();
    rs.Close();
    return out;
}

}  // namespace

class tst_store : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void contract_data();
    void contract();
    void search_data();
    void search();
    void roundTrip_data();
    void roundTrip();
    void openErrors_data();
    void openErrors();
    void encryptedOnDisk();
    void createRefusesExisting();
    void idsNeverReused();
    void operations_data();
    void operations();
    void fullDisk();
    void readOnlyLibrary();
    void paddedLibrary();
    void serverErrors_data();
    void serverErrors();
    void serverConnectionLost();
    void serverTls();

private:
    QTemporaryDir dir;
    QString path;
    // Each data row of a test, once on a file and once on a server library.
    static void AddKinds(const QString& name, const std::function<void(QTestData&)>& fill);
    void AddRows(Connection& con);
    // The names statement 2 lists from a new library with AddRows' rows.
    QStringList Listed(const QString& sFind, const QString& sOrder);
};

void tst_store::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(dir.isValid());
}

void tst_store::init() {
    static int n = 0;
    path = dir.filePath(QStringLiteral("lib%1.snip").arg(++n));
}

// Rows of three categories over two years, one with Nulls.
void tst_store::AddRows(Connection& con) {
    con.Execute(stmt::InsertCode(1, "Zeta", "first", "3/3/2001", "web", "Sub Zeta()\r\nEnd Sub"));
    con.Execute(stmt::InsertCode(4, "alpha", "it's mine", "1/15/2002 3:04:05 PM", "book", "' ÄRGER über alles"));
    con.Execute(stmt::InsertCode(4, "Beta", "", "12/1/2002", "", "Dim s As String"));
    con.Execute("INSERT INTO Code (TypeID,Name) VALUES(5,'nulls')");
}

void tst_store::AddKinds(const QString& name, const std::function<void(QTestData&)>& fill) {
    for (const char* kind : {"file", "server"}) fill(QTest::newRow(qPrintable(kind + (": " + name))) << QString(kind));
}

QStringList tst_store::Listed(const QString& sFind, const QString& sOrder) {
    Connection con;
    NewLibrary(con, path);
    AddRows(con);
    return Column(con, stmt::SelectDisplay(BuildWhere({1, 4, 5}), sFind, sOrder), "Name");
}

void tst_store::contract_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << "file"
                           << "";
    QTest::newRow("encrypted") << "file"
                               << "s3cr;et\"";
    QTest::newRow("server") << "server"
                            << "";
}

void tst_store::contract() {
    QFETCH(QString, kind);
    QFETCH(QString, password);
    if (kind == "server") path = testsupport::NewServerDatabase();
    CreateLibrary(path, password, false);
    Connection con;
    QCOMPARE(con.State(), adStateClosed);
    con.Open(ConnectionText(path, password), "", "");
    QCOMPARE(con.State(), adStateOpen);
    QCOMPARE(con.DataSource(), path);

    QCOMPARE(Column(con, stmt::SelectTypes(), "TypeName"),
             QStringList({"Modules", "Classes", "API Declarations", "Functions", "Snippets"}));
    QCOMPARE(Column(con, stmt::SelectTypes(), "TypeID"), QStringList({"1", "2", "3", "4", "5"}));

    AddRows(con);
    Recordset rs;
    rs.Open(stmt::SelectMaxId(), &con);
    QCOMPARE(rs.Fields(0).toLongLong(), 4);
    QCOMPARE(con.LastInsertId(), 4);
    rs.Close();

    // Statement 2 over two categories, with every column the list reads.
    rs.Open(stmt::SelectDisplay(BuildWhere({4, 5}), "", OrderForColumn(1, "")), &con);
    QVERIFY(!rs.Eof());
    QCOMPARE(rs.Fields("Name").toString(), QString("alpha"));
    QCOMPARE(rs.Fields("id").toLongLong(), 2);  // names ignore case
    QCOMPARE(rs.Fields("TypeName").toString(), QString("Functions"));
    QCOMPARE(rs.Fields("Description").toString(), QString("it's mine"));
    QCOMPARE(rs.Fields("DateAdded").toDateTime(), QDateTime(QDate(2002, 1, 15), QTime(15, 4, 5)));
    QCOMPARE(store::GeneralDate(rs.Fields("DateAdded").toDateTime()), QString("1/15/2002 3:04:05 PM"));
    rs.MoveNext();
    QCOMPARE(rs.Fields("Name").toString(), QString("Beta"));
    QCOMPARE(rs.Fields("DateAdded").toDateTime(), QDateTime(QDate(2002, 12, 1), QTime(0, 0)));
    rs.MoveNext();
    QCOMPARE(rs.Fields("Name").toString(), QString("nulls"));
    QVERIFY(rs.Fields("Description").isNull());
    QVERIFY(rs.Fields("DateAdded").isNull());
    QVERIFY(rs.Fields("Source").isNull());
    rs.MoveNext();
    QVERIFY(rs.Eof());
    QCOMPARE(ErrorOf([&] { rs.Fields("Name"); }), errors::kEof);
    // The export reads the result twice.
    rs.MoveFirst();
    QCOMPARE(rs.Fields("Name").toString(), QString("alpha"));
    QCOMPARE(ErrorOf([&] { rs.Fields("NoSuchColumn"); }), errors::kFieldNotFound);
    rs.Close();

    // The engine's internal functions hand out memory and addresses: refused.
    for (const char* call :
         {"SELECT rtreenode(2, x'0000ffff')", "SELECT fts3_tokenizer('simple')", "SELECT load_extension('libc.so.6')"})
        QCOMPARE(ErrorOf([&] { rs.Open(call, &con); }), errors::kSyntax);

    // Statement 3 runs on the connection the recordset last used.
    rs.Open(stmt::SelectContent(1));
    QCOMPARE(rs.Fields("Content").toString(), QString("Sub Zeta()\r\nEnd Sub"));
    rs.Close();

    con.Execute(stmt::UpdateDescription(1, "O'Brien's"));
    con.Execute(stmt::UpdateSource(1, "new"));
    con.Execute(stmt::UpdateContent(1, "x"));
    rs.Open("SELECT * FROM qDisplay  WHERE ( Types.TypeID=1)", &con);
    QCOMPARE(rs.Fields("Description").toString(), QString("O'Brien's"));
    QCOMPARE(rs.Fields("Source").toString(), QString("new"));
    QCOMPARE(rs.Fields("Content").toString(), QString("x"));
    rs.Close();

    con.Execute(stmt::InsertType("Bob's"));
    QCOMPARE(con.LastInsertId(), 6);
    con.Execute(stmt::DeleteTypeByName("Bob's"));
    con.Execute(stmt::DeleteCodeOfType(4));
    con.Execute(stmt::DeleteCode(1));
    QCOMPARE(Column(con, stmt::SelectDisplay(BuildWhere({1, 2, 3, 4, 5}), "", ""), "Name"), QStringList({"nulls"}));
    QCOMPARE(Column(con, stmt::SelectTypes(), "TypeName").size(), 5);

    con.Close();
    QCOMPARE(con.State(), adStateClosed);
    con.Close();  // twice: nothing happens
    QCOMPARE(ErrorOf([&] { con.Execute(stmt::DeleteCode(1)); }), errors::kClosed);
}

void tst_store::search_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QStringList>("names");
    const std::array<bool, 4> all = {true, true, true, true};
    const std::array<bool, 4> content = {false, false, false, true};
    const QList<std::tuple<const char*, QString, QStringList>> rows = {
        {"non-ascii case", BuildFind("ärger", content, "", ""), {"alpha"}},
        {"words together", BuildFind("End Sub", content, "", ""), {"Zeta"}},
        {"words apart", BuildFind("Sub End", content, "", ""), {}},
        {"nulls never match", BuildFind("o", {false, true, true, false}, "", ""), {"alpha"}},
        {"like wildcards are text", BuildFind("_", all, "", ""), {}},
        // Dates compare as moments, not as texts: 12/1/2002 is after 2/1/2002.
        {"from across months", BuildFind("", all, "2/1/2002", ""), {"Beta"}},
        {"to across years", BuildFind("", all, "", "1/1/2002"), {"Zeta"}},
        {"range with time", BuildFind("", all, "1/15/2002 3:04:05 PM", "1/15/2002 3:04:05 PM"), {"alpha"}},
        {"iso range", BuildFind("", all, "2001-01-01", "2002-12-31"), {"Zeta", "alpha", "Beta"}},
        {"words and date", BuildFind("a", {true, false, false, false}, "1/1/2002", ""), {"alpha", "Beta"}},
        {"nothing found", BuildFind("no such text", all, "", ""), {}},
    };
    for (const auto& [name, find, names] : rows) AddKinds(name, [&](QTestData& row) { row << find << names; });
}

void tst_store::search() {
    QFETCH(QString, kind);
    QFETCH(QString, find);
    if (kind == "server") path = testsupport::NewServerDatabase();
    QFETCH(QStringList, names);
    QCOMPARE(Listed(find, OrderForColumn(4, "")), names);
}

void tst_store::roundTrip_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QString large;
    for (int i = 0; i < 40000; ++i) large += QStringLiteral("Ünïcödé 𝄞 ") + QString::number(i);
    const QList<std::pair<const char*, QString>> texts = {
        {"quotes", "\"'\"''\\"},
        {"line ends", "a\r\nb\nc\rd\t"},
        {"a date, not the date column", "1/19/2002 3:04:05 PM"},
        {"dollar quotes", "$$ $1 $f$"},
        {"escape string", "E'\\'' \\x00 \\"},
        {"statement end", "'); DROP TABLE Code;--"},
        {"byte-order marks first", QString(QChar(0xFEFF)) + QChar(0xFEFF) + "x"},
        {"large text", large},
    };
    for (const auto& [name, text] : texts) AddKinds(name, [&](QTestData& row) { row << text; });
}

void tst_store::roundTrip() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    if (kind == "server") path = testsupport::NewServerDatabase();
    Connection con;
    NewLibrary(con, path);
    con.Execute(stmt::InsertCode(2, text.left(50), text, "1/1/2002", text, text));
    const qint64 id = con.LastInsertId();
    Recordset rs;
    rs.Open(stmt::SelectContent(id), &con);
    QCOMPARE(rs.Fields("Content").toString(), text);
    rs.Close();
    QCOMPARE(Column(con, stmt::SelectDisplay(BuildWhere({2}), BuildFind(text, {true, true, true, true}, "", ""), ""),
                    "Description"),
             QStringList{text});
    con.Execute(stmt::UpdateContent(id, text + text));
    QCOMPARE(Column(con, stmt::SelectContent(id), "Content"), QStringList{text + text});
    QCOMPARE(Column(con, stmt::SelectTypes(), "TypeName").size(), 5);  // nothing else ran
    con.Execute(stmt::InsertType(text.left(200)));
    con.Execute(stmt::DeleteTypeByName(text.left(200)));
    QCOMPARE(Column(con, stmt::SelectDisplay(BuildWhere({2}), "", ""), "Name"), QStringList{text.left(50)});
}

void tst_store::openErrors_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("craft");  // run on a new library with its schema writable
    QTest::addColumn<long>("number");
    QTest::newRow("missing file") << "missing"
                                  << ""
                                  << "" << errors::kFileNotFound;
    QTest::newRow("folder") << "folder"
                            << ""
                            << "" << errors::kNotAFile;
    QTest::newRow("fifo") << "fifo"
                          << ""
                          << "" << errors::kNotAFile;
    QTest::newRow("text file") << "text"
                               << ""
                               << "" << errors::kUnrecognized;
    QTest::newRow("text file, password") << "text"
                                         << "pw"
                                         << "" << errors::kBadPassword;
    QTest::newRow("other sqlite file") << "sqlite"
                                       << ""
                                       << "" << errors::kUnrecognized;
    QTest::newRow("wrong password") << "encrypted"
                                    << "wrong"
                                    << "" << errors::kBadPassword;
    QTest::newRow("no password") << "encrypted"
                                 << ""
                                 << "" << errors::kBadPassword;
    QTest::newRow("truncated") << "truncated"
                               << ""
                               << "" << errors::kCorrupt;
    // Files made by someone else that keep our mark: nothing of theirs may run.
    const QString ctas =
        "PRAGMA writable_schema=ON; INSERT INTO sqlite_master VALUES('table','x','x',0,'CREATE TABLE x AS SELECT 1')";
    const QString trigger = "CREATE TRIGGER Wipe AFTER INSERT ON Types BEGIN DELETE FROM Code; END";
    QTest::newRow("Types a view of rtreenode")
        << "crafted"
        << ""
        << "DROP VIEW qDisplay; DROP TABLE Types; CREATE VIEW Types AS SELECT 1 AS TypeID, "
           "rtreenode(2, x'0000ffff') AS TypeName; CREATE VIEW qDisplay AS SELECT * FROM Code NATURAL JOIN Types"
        << errors::kForeignSchema;
    QTest::newRow("view of fts3_tokenizer")
        << "crafted"
        << ""
        << "CREATE VIEW Leak AS SELECT hex(fts3_tokenizer('simple'))" << errors::kForeignSchema;
    QTest::newRow("schema row CREATE TABLE AS") << "crafted"
                                                << "" << ctas << errors::kCorrupt;
    QTest::newRow("schema row CREATE TABLE AS, encrypted") << "crafted"
                                                           << "pw" << ctas << errors::kForeignSchema;
    QTest::newRow("trigger") << "crafted"
                             << "" << trigger << errors::kForeignSchema;
    QTest::newRow("trigger, encrypted") << "crafted"
                                        << "pw" << trigger << errors::kForeignSchema;
    QTest::newRow("other qDisplay") << "crafted"
                                    << ""
                                    << "DROP VIEW qDisplay; CREATE VIEW qDisplay AS SELECT * FROM Code"
                                    << errors::kForeignSchema;
    QTest::newRow("first version, names not unique") << "crafted"
                                                     << ""
                                                     << "DROP INDEX TypeNames; PRAGMA user_version=1" << 0L;
}

void tst_store::openErrors() {
    QFETCH(QString, kind);
    QFETCH(QString, password);
    QFETCH(QString, craft);
    QFETCH(long, number);
    if (kind == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == "fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == "text") {
        QVERIFY(testsupport::WriteAll(path, "Attribute VB_Name = \"Module1\"\r\n"));
    } else if (kind == "sqlite") {
        Connection con;
        NewLibrary(con, path);
        con.Execute("UPDATE Types SET TypeName='x' WHERE TypeID=1");
        con.Close();
        // Another program's file: same SQLite, not our mark.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(68);
        f.write(QByteArray(4, '\0'));
    } else if (kind == "encrypted") {
        CreateLibrary(path, "right", false);
    } else if (kind == "crafted") {
        CreateLibrary(path, password, false);
        sqlite::OpenFile(path, password, false, false)->Exec(craft);
    } else if (kind == "truncated") {
        Connection con;
        NewLibrary(con, path);
        for (int i = 0; i < 50; ++i) con.Execute(stmt::InsertCode(1, "n", "d", "1/1/2002", "s", QString(4000, u'c')));
        con.Close();
        QFile f(path);
        QVERIFY(f.resize(8192 * 3 + 100));
    }
    QFile file(path);
    const bool regular = QFileInfo(path).isFile();  // a FIFO would block a read
    const QByteArray before = regular && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    Connection con;
    const long got = ErrorOf([&] {
        OpenLibrary(con, path, password);
        // Damage may only show when the rows are read.
        Recordset rs;
        for (rs.Open(stmt::SelectTypes(), &con); !rs.Eof(); rs.MoveNext()) rs.Fields("TypeName");
        for (rs.Open(stmt::SelectDisplay(BuildWhere({1}), "", ""), &con); !rs.Eof();) rs.MoveNext();
    });
    QCOMPARE(got, number);
    if (kind == "missing") QVERIFY(!QFile::exists(path));  // opening never creates
    if (kind == "truncated") return;
    QCOMPARE(con.State(), number == 0 ? adStateOpen : adStateClosed);
    // A refused file keeps its bytes.
    if (number != 0 && regular && file.open(QIODevice::ReadOnly)) QCOMPARE(file.readAll(), before);
}

void tst_store::encryptedOnDisk() {
    Connection con;
    NewLibrary(con, path, "pw");
    con.Execute(stmt::InsertCode(1, "SecretName", "d", "1/1/2002", "s", "SecretContent"));
    con.Close();
    const QByteArray bytes = testsupport::ReadAll(path);
    QVERIFY(!bytes.contains("SecretName"));
    QVERIFY(!bytes.contains("SecretContent"));
    QVERIFY(!bytes.contains("Modules"));
    QVERIFY(!bytes.startsWith("SQLite format 3"));
}

void tst_store::createRefusesExisting() {
    CreateLibrary(path, "", false);
    QCOMPARE(ErrorOf([&] { CreateLibrary(path, "", false); }), errors::kExists);
    QCOMPARE(ErrorOf([&] { CreateLibrary(dir.filePath("no/such/folder.snip"), "", false); }), errors::kNoAccess);
    // Nothing but the libraries themselves is left in the folder.
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(name.endsWith(".snip"), qPrintable(name));
}

void tst_store::idsNeverReused() {
    Connection con;
    NewLibrary(con, path);
    AddRows(con);
    con.Execute(stmt::DeleteCode(4));
    con.Execute(stmt::InsertCode(1, "again", "", "1/1/2002", "", ""));
    QCOMPARE(con.LastInsertId(), 5);
    con.Execute(stmt::InsertType("Mine"));
    con.Execute(stmt::DeleteTypeByName("Mine"));
    con.Execute(stmt::InsertType("Mine too"));
    QCOMPARE(con.LastInsertId(), 7);
}

// The library operations: a transaction left by an exception undoes all of it,
// and a change of a snippet another program deleted is refused, writing nothing.
void tst_store::operations_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("op");
    for (const char* op : {"save", "description", "source", "delete"})
        AddKinds(op, [&](QTestData& row) { row << QString(op); });
}

void tst_store::operations() {
    QFETCH(QString, kind);
    if (kind == "server") path = testsupport::NewServerDatabase();
    Connection con, other;
    NewLibrary(con, path);
    OpenLibrary(other, path);
    const qint64 kept = store::AddSnippet(con, {1, "kept", "", "1/1/2002", "", "x\r\ny"});
    try {
        store::Transaction t(con);
        store::InsertSnippet(con, {1, "gone", "", "1/1/2002", "", "z"});
        throw StoreError(0, "stop");
    } catch (const StoreError&) {
    }
    const qint64 id = store::AddSnippet(con, {1, "doomed", "", "1/1/2002", "", "d"});
    store::DeleteSnippet(other, id);
    const QStringList before = Column(con, stmt::SelectDisplay(BuildWhere({1}), "", ""), "Name");
    QCOMPARE(before, QStringList{"kept"});
    QFETCH(QString, op);
    try {
        if (op == "save") store::SaveContent(con, id, "new");
        if (op == "description") store::ChangeDescription(con, id, "new");
        if (op == "source") store::ChangeSource(con, id, "new");
        if (op == "delete") store::DeleteSnippet(con, id);
        QFAIL("a change of a deleted snippet was reported as done");
    } catch (const StoreError& e) {
        QCOMPARE(e.Number(), store::errors::kDeleted);
    }
    QCOMPARE(Column(con, stmt::SelectContent(kept), "Content"), QStringList{"x\r\ny"});
    QCOMPARE(Column(con, stmt::SelectDisplay(BuildWhere({1}), "", ""), "Name"), before);
}

// A full file system: the change is refused with a clear error and what was
// stored before is still there. The limit is set in a child process, which reports
// by its exit code.
void tst_store::fullDisk() {
    {
        Connection con;
        NewLibrary(con, path);
        con.Execute(stmt::InsertCode(1, "kept", "", "1/1/2002", "", "before"));
    }
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(QFileInfo(path).size() + 4096), rlim_t(QFileInfo(path).size() + 4096)};
        setrlimit(RLIMIT_FSIZE, &limit);
        int code = 1;  // the big change went through: the limit did not hold
        try {
            Connection con;
            OpenLibrary(con, path);
            con.Execute(stmt::InsertCode(1, "big", "", "1/1/2002", "", QString(1 << 20, u'x')));
        } catch (const StoreError& e) {
            code = e.Number() == errors::kDiskFull || e.Number() == errors::kNoAccess ? 0 : 3;
        }
        _exit(code);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    Connection con;
    OpenLibrary(con, path);
    Recordset rs;
    rs.Open("PRAGMA integrity_check", &con);
    QCOMPARE(rs.Fields(0).toString(), QString("ok"));
    rs.Close();
    QCOMPARE(Column(con, stmt::SelectDisplay(BuildWhere({1}), "", ""), "Content"), QStringList{"before"});
}

// A library the user may only read lists as usual; every change is refused with the
// read-only error and the file keeps its bytes; one nobody may read is refused at
// open. Run by the superuser, the checks run in a child that gives up the
// superuser's rights first, or the files would be read and written anyway.
void tst_store::readOnlyLibrary() {
    {
        Connection con;
        NewLibrary(con, path);
        con.Execute(stmt::InsertCode(1, "kept", "", "1/1/2002", "", "before"));
    }
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY(QFile::setPermissions(QFileInfo(path).absolutePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                                      QFileDevice::ExeOther));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    // And one nobody may read: refused at open with the access error.
    const QString locked = path + ".locked";
    QVERIFY(QFile::copy(path, locked));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
        int code = 0;
        try {
            Connection con;
            OpenLibrary(con, path);
            if (Column(con, stmt::SelectDisplay(BuildWhere({1}), "", ""), "Content") != QStringList{"before"})
                _exit(11);
            const QString changes[] = {stmt::InsertCode(1, "new", "", "1/1/2002", "", "x"),
                                       stmt::UpdateContent(1, "changed"), stmt::DeleteCode(1)};
            for (const QString& change : changes) {
                try {
                    con.Execute(change);
                    code = 12;  // the change went through
                } catch (const StoreError& e) {
                    if (e.Number() != errors::kReadOnly) code = 13;
                }
            }
        } catch (const StoreError&) {
            code = 14;
        }
        Connection none;
        if (code == 0 && ErrorOf([&] { OpenLibrary(none, locked); }) != errors::kNoAccess) code = 15;
        _exit(code);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// A library padded far beyond its pages costs no more memory to open and list
// than its pages do. Measured in a child, which reports by its exit code.
void tst_store::paddedLibrary() {
    CreateLibrary(path, "", false);
    QVERIFY(QFile::resize(path, 256 << 20));
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        auto residentMb = [] {
            long pages = 0, resident = 0;
            FILE* f = fopen("/proc/self/statm", "r");
            if (f == nullptr || fscanf(f, "%ld %ld", &pages, &resident) != 2) _exit(2);
            fclose(f);
            return resident * sysconf(_SC_PAGESIZE) >> 20;
        };
        const long before = residentMb();
        Connection con;
        OpenLibrary(con, path);
        Column(con, stmt::SelectDisplay(BuildWhere({1, 2, 3, 4, 5}), "", ""), "Name");
        _exit(residentMb() - before < 64 ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

// A server library's failures, each with its own number and no password in its text.
void tst_store::serverErrors_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("statement");  // run after opening
    QTest::addColumn<long>("number");
    const QString host = testsupport::ServerHost();
    testsupport::ServerAdmin(
        "DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'ann') THEN "
        "CREATE ROLE ann LOGIN PASSWORD 'right-one'; CREATE ROLE reader LOGIN; END IF; END $$");
    const QString library = testsupport::NewServerDatabase();
    CreateLibrary(library, "", false);
    const QString database = testsupport::DatabaseOf(library);
    testsupport::ServerAdmin("GRANT SELECT ON ALL TABLES IN SCHEMA public TO reader", database);
    QTest::newRow("no server") << "postgresql:///x?host=" + dir.path() << ""
                               << "" << errors::kServerUnreachable;
    QTest::newRow("wrong password") << testsupport::ServerAddress(database, "ann") << "wrong-one"
                                    << "" << errors::kBadPassword;
    QTest::newRow("password in the address") << QString(library).replace("snippary@", "ann:wrong-one@") << ""
                                             << "" << errors::kBadPassword;
    QTest::newRow("no such database") << testsupport::ServerAddress("nosuch") << ""
                                      << "" << errors::kFileNotFound;
    QTest::newRow("not a library") << testsupport::ServerAddress("postgres") << ""
                                   << "" << errors::kUnrecognized;
    QTest::newRow("reader lists") << testsupport::ServerAddress(database, "reader") << ""
                                  << stmt::SelectDisplay(BuildWhere({1}), "", "") << 0L;
    QTest::newRow("reader adds") << testsupport::ServerAddress(database, "reader") << ""
                                 << stmt::InsertCode(1, "n", "", "1/1/2002", "", "c") << errors::kReadOnly;
    QTest::newRow("date no date") << library << "" << stmt::InsertCode(1, "n", "", "13/45/2002", "", "c")
                                  << errors::kTypeMismatch;
    QTest::newRow("creating over a library") << library << ""
                                             << "new" << errors::kExists;
}

void tst_store::serverErrors() {
    QFETCH(QString, address);
    QFETCH(QString, password);
    QFETCH(QString, statement);
    QFETCH(long, number);
    Connection con;
    QString message;
    const long got = ErrorOf([&] {
        try {
            con.Open(ConnectionText(address, password));
            if (statement == "new")
                CreateLibrary(address, "", false);
            else if (statement.startsWith("SELECT"))
                Column(con, statement, "Name");
            else if (!statement.isEmpty())
                con.Execute(statement);
        } catch (const StoreError& e) {
            message = e.Message();
            throw;
        }
    });
    QCOMPARE(got, number);
    QVERIFY2(!message.contains("-one"), qPrintable(message));
    QCOMPARE(con.State(), number == 0 || !statement.isEmpty() ? adStateOpen : adStateClosed);
}

// The server ends the session (a restart, a dropped network) in a transaction:
// it is reported, not silently half done, and the next action connects again.
// Others' changes are announced.
void tst_store::serverConnectionLost() {
    path = testsupport::NewServerDatabase();
    Connection con;
    NewLibrary(con, path);
    con.Execute(stmt::InsertCode(1, "kept", "", "1/1/2002", "", "c"));
    con.BeginTrans();
    con.Execute(stmt::InsertCode(1, "in transaction", "", "1/1/2002", "", "c"));
    testsupport::DropSessions(path);
    QCOMPARE(ErrorOf([&] { con.Execute(stmt::InsertCode(1, "after", "", "1/1/2002", "", "c")); }),
             errors::kConnectionLost);
    con.RollbackTrans();
    QCOMPARE(Column(con, stmt::SelectDisplay(BuildWhere({1}), "", ""), "Name"), QStringList{"kept"});

    // Changes by others are announced; the connection's own are not.
    QVERIFY(!con.ChangedByOthers());
    con.Execute(stmt::UpdateSource(1, "mine"));
    QVERIFY(!con.ChangedByOthers());
    Connection other;
    OpenLibrary(other, path);
    other.Execute(stmt::UpdateSource(1, "theirs"));
    bool announced = false;  // it comes when the server sends it
    QTRY_VERIFY((announced = announced || con.ChangedByOthers()));
    QVERIFY(!con.ChangedByOthers());
}

// TLS as libpq gives it: verify-full trusts the server only with a certificate for
// the name it was asked by, from the authority the address names. A server of the
// test's own, on a free port of 127.0.0.1.
void tst_store::serverTls() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof any;
    QVERIFY(bind(probe, reinterpret_cast<sockaddr*>(&any), size) == 0 &&
            getsockname(probe, reinterpret_cast<sockaddr*>(&any), &size) == 0);
    close(probe);
    const QString port = QString::number(ntohs(any.sin_port)), host = dir.filePath("tls");
    const QString script = SNIPPARY_TEST_DATA "/../support/pgserver";
    QCOMPARE(QProcess::execute(script, {"start", host, port}), 0);
    const auto stop = qScopeGuard([&] { QProcess::execute(script, {"stop", host}); });
    struct Case {
        const char* name;
        const char* authority;
        long number;
    };
    for (const Case& c : {Case{"localhost", "ca.crt", 0}, Case{"localhost", "other-ca.crt", errors::kNoAccess},
                          Case{"127.0.0.1", "ca.crt", errors::kNoAccess}}) {
        const QString address =
            QStringLiteral("postgresql://snippary@%1:%2/postgres?sslmode=verify-full&sslrootcert=%3/%4")
                .arg(c.name, port, host, c.authority);
        QCOMPARE(ErrorOf([&] { CreateLibrary(address, "", false); }), c.number);
    }
    Connection con;
    OpenLibrary(con, "postgresql://snippary@localhost:" + port + "/postgres?sslmode=verify-full&sslrootcert=" + host +
                         "/ca.crt");
    QCOMPARE(Column(con, stmt::SelectTypes(), "TypeName").size(), 5);
}

QTEST_GUILESS_MAIN(tst_store)
#include "tst_store.moc"
