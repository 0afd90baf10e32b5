// The store's contract on real libraries: files, plain and encrypted, and a
// library on the tests' own PostgreSQL server.
#include <QtTest>
#include <csignal>
#include <functional>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testlibrary.h"
#include "testsupport.h"
#include "store/operations.h"
#include "store/sqliteengine.h"
#include "store/statements.h"
#include "store/store.h"

using namespace store;
using testsupport::NewLibrary;
using testsupport::OpenLibrary;

namespace {

// Number of the StoreError `f` throws, its text in `message`; 0 when it throws none.
template <typename F>
long ErrorOf(F f, QString* message = nullptr) {
    try {
        f();
    } catch (const StoreError& e) {
        if (message != nullptr) *message = e.Message();
        return e.Number();
    }
    return 0;
}

// The rows of a query, the columns joined by '|'; dates as ISO texts, so a date read as text shows.
QStringList Rows(Connection& con, const QString& sql, const QStringList& columns) {
    QStringList out;
    Recordset rs;
    for (rs.Open(sql, &con); !rs.Eof(); rs.MoveNext()) {
        QStringList row;
        for (const QString& c : columns) row << (rs.Fields(c).isNull() ? "<null>" : rs.Fields(c).toString());
        out << row.join(u'|');
    }
    return out;
}

QStringList Names(Connection& con, const QList<qint64>& categories, const QString& find = QString()) {
    return Rows(con, stmt::SelectDisplay(BuildWhere(categories), find, QString()), {"Name"});
}

// Runs `f` in a child process, for what must not touch the test itself; its exit code.
int InChild(const std::function<int()>& f) {
    const pid_t child = fork();
    if (child == 0) _exit(f());
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

class tst_store : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path;

    // The row's kind of library: a server library makes `path` its address.
    QString UseKind() {
        QFETCH(QString, kind);
        if (kind == "server") path = testsupport::NewServerDatabase();
        return kind;
    }

private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }
    void init() {
        static int n = 0;
        path = dir.filePath(QStringLiteral("lib%1.snip").arg(++n));
    }

    void contract_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("password");
        QTest::newRow("plain") << "file" << QString();
        QTest::newRow("encrypted") << "file" << QStringLiteral("s3cr;et\"");
        QTest::newRow("server") << "server" << QString();
    }
    void contract() {
        const QString kind = UseKind();
        QFETCH(QString, password);
        Connection con;
        NewLibrary(con, path, password);
        QCOMPARE(ErrorOf([&] { CreateLibrary(path, password, false); }), errors::kExists);

        // Rows of three categories over two years, one with Nulls.
        con.Execute(stmt::InsertCode(1, "Zeta", "first", "3/3/2001", "web", "Sub Zeta()\r\nEnd Sub"));
        con.Execute(stmt::InsertCode(4, "alpha", "it's mine", "1/15/2002 3:04:05 PM", "book", "' ÄRGER über alles"));
        con.Execute(stmt::InsertCode(4, "Beta", "", "12/1/2002", "", "Dim s As String"));
        con.Execute("INSERT INTO Code (TypeID,Name) VALUES(5,'nulls')");
        Recordset rs;
        rs.Open(stmt::SelectMaxId(), &con);
        QCOMPARE(rs.Fields(0).toLongLong(), 4);

        // Statement 2 over two categories, with every column the list reads; names ignore case.
        QCOMPARE(Rows(con, stmt::SelectDisplay(BuildWhere({4, 5}), "", OrderForColumn(1, "")),
                      {"Name", "id", "TypeName", "Description", "DateAdded", "Source"}),
                 QStringList({"alpha|2|Functions|it's mine|2002-01-15T15:04:05.000|book",
                              "Beta|3|Functions||2002-12-01T00:00:00.000|", "nulls|4|Snippets|<null>|<null>|<null>"}));

        // Searches: letters of any alphabet in any case, a phrase as a whole, no Null found, no
        // wildcards; dates compare as moments (12/1/2002 is after 2/1/2002), a day as its midnight.
        // A saved snippet keeps its place in the list.
        ChangeDescription(con, 1, "first");
        const std::array<bool, 4> all = {true, true, true, true}, content = {false, false, false, true};
        const QList<std::pair<QString, QStringList>> searches = {
            {BuildFind("ärger", content, "", ""), {"alpha"}},
            {BuildFind("Sub End", content, "", ""), {}},
            {BuildFind("o", {false, true, true, false}, "", ""), {"alpha"}},
            {BuildFind("_", all, "", ""), {}},
            {BuildFind("", all, "2/1/2002", ""), {"Beta"}},
            {BuildFind("", all, "", "1/1/2002"), {"Zeta"}},
            {BuildFind("", all, "1/15/2002 3:04:05 PM", "1/15/2002 3:04:05 PM"), {"alpha"}},
            {BuildFind("", all, "2001-01-01", "2002-12-31"), {"Zeta", "alpha", "Beta"}},
        };
        for (const auto& [find, names] : searches) QCOMPARE(Names(con, {1, 4, 5}, find), names);

        // The engine's internal functions hand out memory and addresses: refused.
        for (const char* call : {"SELECT rtreenode(2, x'0000ffff')", "SELECT fts3_tokenizer('simple')",
                                 "SELECT load_extension('libc.so.6')"})
            QCOMPARE(ErrorOf([&] { rs.Open(call, &con); }), errors::kSyntax);

        // Ids are never handed out twice, not even those of deleted rows.
        con.Execute(stmt::InsertType("Bob's"));
        QCOMPARE(con.LastInsertId(), 6);
        con.Execute(stmt::DeleteTypeByName("Bob's"));
        con.Execute(stmt::InsertType("Mine"));
        QCOMPARE(con.LastInsertId(), 7);
        con.Execute(stmt::DeleteCodeOfType(4));
        con.Execute(stmt::DeleteCode(4));
        con.Execute(stmt::InsertCode(5, "again", "", "1/1/2002", "", ""));
        QCOMPARE(con.LastInsertId(), 5);
        con.Execute(stmt::DeleteCode(1));

        // A transaction left by an exception undoes all of it, and a snippet another program
        // deleted is not deleted again (a save, a description or a source goes the same way).
        QCOMPARE(ErrorOf([&] {
                     Transaction t(con);
                     InsertSnippet(con, {1, "gone", "", "1/1/2002", "", "z"});
                     throw StoreError(1, "stop");
                 }),
                 1);
        const qint64 doomed = AddSnippet(con, {1, "doomed", "", "1/1/2002", "", "d"});
        Connection other;
        OpenLibrary(other, path, password);
        DeleteSnippet(other, doomed);
        QCOMPARE(ErrorOf([&] { DeleteSnippet(con, doomed); }), errors::kDeleted);
        QCOMPARE(Names(con, {1, 2, 3, 4, 5, 7}), QStringList({"again"}));
        QCOMPARE(Rows(con, stmt::SelectTypes(), {"TypeName"}),
                 QStringList({"Modules", "Classes", "API Declarations", "Functions", "Snippets", "Mine"}));

        if (kind == "server") {
            // A connection found dropped (as the window's change watch finds it) just before
            // the COMMIT: reported lost, never made again for a COMMIT of nothing.
            con.ChangedByOthers();
            QCOMPARE(ErrorOf([&] {
                         Transaction t(con);
                         con.Execute(stmt::DeleteCode(5));
                         testsupport::DropSessions(path);
                         QTRY_VERIFY(!con.ChangedByOthers() && con.ChangeSocket() < 0);
                         t.Commit();
                     }),
                     errors::kConnectionLost);
            QCOMPARE(Names(con, {5}), QStringList({"again"}));
        }
        con.Close();
        QCOMPARE(ErrorOf([&] { con.Execute(stmt::DeleteCode(1)); }), errors::kClosed);
        if (kind == "server") return;
        const QByteArray bytes = testsupport::ReadAll(path);
        if (!password.isEmpty()) QVERIFY(!bytes.startsWith("SQLite format 3") && !bytes.contains("Mine"));
        QCOMPARE(ErrorOf([&] { CreateLibrary(dir.filePath("no/such/folder.snip"), "", false); }), errors::kNoAccess);
        // Nothing but the libraries themselves is left in the folder.
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(name.endsWith(".snip"), qPrintable(name));
    }

    void roundTrip_data() {
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
            {"byte-order marks first", QString(QChar(0xFEFF)) + QChar(0xFEFF) + "x"},
            {"large text", large},
        };
        for (const auto& [name, text] : texts)
            for (const char* kind : {"file", "server"}) QTest::addRow("%s: %s", kind, name) << QString(kind) << text;
    }
    void roundTrip() {
        UseKind();
        QFETCH(QString, text);
        Connection con;
        NewLibrary(con, path);
        con.Execute(stmt::InsertCode(2, text.left(50), text, "1/1/2002", text, text));
        const qint64 id = con.LastInsertId();
        QCOMPARE(Rows(con, stmt::SelectContent(id), {"Content"}), QStringList{text});
        QCOMPARE(Rows(con, stmt::SelectDisplay(BuildWhere({2}), BuildFind(text, {true, true, true, true}, "", ""), ""),
                      {"Description"}),
                 QStringList{text});
        con.Execute(stmt::UpdateContent(id, text + text));
        QCOMPARE(Rows(con, stmt::SelectContent(id), {"Content"}), QStringList{text + text});
        con.Execute(stmt::InsertType(text.left(200)));
        con.Execute(stmt::DeleteTypeByName(text.left(200)));
        QCOMPARE(Names(con, {2}), QStringList{text.left(50)});
    }

    void openErrors_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("craft");  // run on a new library with its schema writable
        QTest::addColumn<long>("number");
        const auto row = [](const char* name, const QString& kind, const char* password, long number,
                            const QString& craft = QString()) {
            QTest::newRow(name) << kind << QString(password) << craft << number;
        };
        row("missing file", "missing", "", errors::kFileNotFound);
        row("folder", "folder", "", errors::kNotAFile);
        row("fifo", "fifo", "", errors::kNotAFile);
        row("text file", "text", "", errors::kUnrecognized);
        row("truncated", "truncated", "", errors::kCorrupt);
        // Files made by someone else that keep our mark: nothing of theirs may run.
        const QString ctas =
            "PRAGMA writable_schema=ON; "
            "INSERT INTO sqlite_master VALUES('table','x','x',0,'CREATE TABLE x AS SELECT 1')";
        row("schema row CREATE TABLE AS", "crafted", "", errors::kCorrupt, ctas);
        row("schema row CREATE TABLE AS, encrypted", "crafted", "pw", errors::kForeignSchema, ctas);
        row("trigger", "crafted", "", errors::kForeignSchema,
            "CREATE TRIGGER Wipe AFTER INSERT ON Types BEGIN DELETE FROM Code; END");
        row("other program's sqlite file", "crafted", "", errors::kUnrecognized, "PRAGMA application_id = 0");
        // A server library's failures: each its own number, none with the password in its text. The
        // statement in `craft` runs after opening.
        testsupport::ServerMembers();
        const QString library = testsupport::NewServerDatabase(), database = testsupport::DatabaseOf(library);
        CreateLibrary(library, "", false);
        testsupport::ServerAdmin("GRANT SELECT ON ALL TABLES IN SCHEMA public TO reader", database);
        row("no server", "postgresql:///x?host=" + dir.path(), "", errors::kServerUnreachable);
        row("wrong server password", testsupport::ServerAddress(database, "ann"), "wrong-one", errors::kBadPassword);
        row("password in the address", QString(library).replace("snippary@", "ann:wrong-one@"), "",
            errors::kBadPassword);
        row("no such database", testsupport::ServerAddress("nosuch"), "", errors::kFileNotFound);
        row("reader adds", testsupport::ServerAddress(database, "reader"), "", errors::kReadOnly,
            stmt::InsertCode(1, "n", "", "1/1/2002", "", "c"));
    }
    void openErrors() {
        QFETCH(QString, kind);
        QFETCH(QString, password);
        QFETCH(QString, craft);
        QFETCH(long, number);
        const bool server = kind.startsWith("postgresql:");
        if (server) {
            path = kind;
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == "fifo") {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == "text") {
            QVERIFY(testsupport::WriteAll(path, "Attribute VB_Name = \"Module1\"\r\n"));
        } else if (kind == "crafted") {
            CreateLibrary(path, password, false);
            sqlite::OpenFile(path, password, false, false)->Exec(craft);
        } else if (kind == "truncated") {
            Connection con;
            NewLibrary(con, path);
            for (int i = 0; i < 50; ++i)
                con.Execute(stmt::InsertCode(1, "n", "d", "1/1/2002", "s", QString(4000, u'c')));
            con.Close();
            QVERIFY(QFile::resize(path, 8192 * 3 + 100));
        }
        const bool regular = QFileInfo(path).isFile();  // a FIFO would block a read
        const QByteArray before = regular ? testsupport::ReadAll(path) : QByteArray();
        Connection con;
        QString message;
        const auto open = [&] {
            OpenLibrary(con, path, password);
            // Damage may only show when the rows are read.
            Rows(con, stmt::SelectTypes(), {"TypeName"});
            Names(con, {1});
            if (server && !craft.isEmpty()) con.Execute(craft);
        };
        QCOMPARE(ErrorOf(open, &message), number);
        QVERIFY2(!message.contains("-one"), qPrintable(message));
        if (kind == "missing") QVERIFY(!QFile::exists(path));  // opening never creates
        QCOMPARE(con.State(), server && !craft.isEmpty() ? adStateOpen : adStateClosed);
        if (regular) QCOMPARE(testsupport::ReadAll(path), before);  // a refused file keeps its bytes
    }

    // A file system that refuses the change, only readable or full: it fails with its own error and
    // the library keeps what it held; one nobody may read is refused at open. The limits hold in a
    // child, which gives up the superuser's rights first, or the files would be read and written anyway.
    void refusedWrites() {
        using P = QFileDevice;
        testsupport::TempLibrary lib;
        lib.con.Execute(stmt::InsertCode(1, "kept", "", "1/1/2002", "", "before"));
        lib.con.Close();
        const QString readOnly = lib.path + ".ro", locked = lib.path + ".locked";
        QVERIFY(QFile::copy(lib.path, readOnly) && QFile::setPermissions(readOnly, P::ReadOwner | P::ReadOther));
        QVERIFY(QFile::copy(lib.path, locked) && QFile::setPermissions(locked, P::Permissions()));
        QVERIFY(QFile::setPermissions(lib.path, P::ReadOwner | P::WriteOwner | P::ReadOther | P::WriteOther));
        QVERIFY(
            QFile::setPermissions(lib.dir.path(), QFile::permissions(lib.dir.path()) | P::WriteOther | P::ExeOther));
        const QByteArray bytes = testsupport::ReadAll(lib.path);
        const rlimit limit{rlim_t(bytes.size() + 4096), rlim_t(bytes.size() + 4096)};
        QCOMPARE(InChild([&] {
                     if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 10;
                     Connection con;
                     if (ErrorOf([&] { OpenLibrary(con, locked); }) != errors::kNoAccess) return 11;
                     const auto addBig = [&](const QString& library) {
                         OpenLibrary(con, library);
                         if (Names(con, {1}) != QStringList{"kept"}) return -1L;
                         return ErrorOf([&] {
                             con.Execute(stmt::InsertCode(1, "big", "", "1/1/2002", "", QString(1 << 20, u'x')));
                         });
                     };
                     if (addBig(readOnly) != errors::kReadOnly) return 12;
                     if (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &limit) != 0) return 13;
                     const long e = addBig(lib.path);
                     return e == errors::kDiskFull || e == errors::kNoAccess ? 0 : 14;
                 }),
                 0);
        QCOMPARE(testsupport::ReadAll(readOnly), bytes);
        OpenLibrary(lib.con, lib.path);
        QCOMPARE(lib.Value("PRAGMA integrity_check"), QString("ok"));
        QCOMPARE(Rows(lib.con, stmt::SelectContent(1), {"Content"}), QStringList{"before"});
    }

    // A library padded far beyond its pages costs no more memory to open and list
    // than its pages do. Measured in a child.
    void paddedLibrary() {
        CreateLibrary(path, "", false);
        QVERIFY(QFile::resize(path, 256 << 20));
        QCOMPARE(InChild([&] {
                     const auto residentMb = [] {
                         const QByteArray statm = testsupport::ReadAll("/proc/self/statm");
                         return statm.split(' ').value(1).toLong() * sysconf(_SC_PAGESIZE) >> 20;
                     };
                     const long before = residentMb();
                     Connection con;
                     OpenLibrary(con, path);
                     Names(con, {1, 2, 3, 4, 5});
                     return before > 0 && residentMb() - before < 64 ? 0 : 1;
                 }),
                 0);
    }

    // TLS with verify-full: the server is trusted only with a certificate for the name it was asked
    // by. A server of the test's own, on a free port of 127.0.0.1.
    void serverTls() {
        const int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in any{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
        socklen_t size = sizeof any;
        QVERIFY(bind(probe, reinterpret_cast<sockaddr*>(&any), size) == 0 &&
                getsockname(probe, reinterpret_cast<sockaddr*>(&any), &size) == 0);
        close(probe);
        const QString port = QString::number(ntohs(any.sin_port)), host = dir.filePath("tls");
        // The server runs as nobody when the tests run as the superuser: it must reach its folder.
        QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFileDevice::ExeOther));
        const QString script = SNIPPARY_TEST_DATA "/../support/pgserver";
        QCOMPARE(QProcess::execute(script, {"start", host, port}), 0);
        const auto stop = qScopeGuard([&] { QProcess::execute(script, {"stop", host}); });
        const QString address =
            "postgresql://snippary@%1:" + port + "/postgres?sslmode=verify-full&sslrootcert=" + host + "/ca.crt";
        QCOMPARE(ErrorOf([&] { CreateLibrary(address.arg("127.0.0.1"), "", false); }), errors::kNoAccess);
        QCOMPARE(ErrorOf([&] { CreateLibrary(address.arg("localhost"), "", false); }), 0);
    }
};

QTEST_GUILESS_MAIN(tst_store)
#include "tst_store.moc"
