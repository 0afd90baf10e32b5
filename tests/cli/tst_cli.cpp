// The command line as a user meets it: the program itself on real libraries, with
// pipes, a device that is always full, and a terminal for the password prompt.
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "cli/cli.h"
#include "cli/usage.h"
#include "store/sqliteengine.h"
#include "testlibrary.h"
#include "testsupport.h"

using testsupport::ReadAll;

namespace {

struct Result {
    int status;  // -1: ended by a signal
    QString out, err;
};

struct Call {
    QByteArray input = {};                    // typed into standard input
    QStringList env = {};                     // NAME=VALUE
    QString inputFile = {}, outputFile = {};  // instead of the pipes
};

Result Run(const QStringList& args, const Call& call = {}, const QString& program = QStringLiteral(SNIPPARY_EXE)) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& e : call.env) env.insert(e.section(u'=', 0, 0), e.section(u'=', 1));
    p.setProcessEnvironment(env);
    if (!call.inputFile.isEmpty()) p.setStandardInputFile(call.inputFile);
    if (!call.outputFile.isEmpty()) p.setStandardOutputFile(call.outputFile);
    p.start(program, args);
    if (call.inputFile.isEmpty()) {
        p.write(call.input);
        p.closeWriteChannel();
    }
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// A pseudo-terminal: the program gets one side as standard input and error and as
// its controlling terminal; the test types and reads on the other, as a terminal
// window does. The test keeps the program's side open to read its settings after.
struct Terminal {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    const int slave = grantpt(master) == 0 && unlockpt(master) == 0 ? open(ptsname(master), O_RDWR | O_NOCTTY) : -1;
    ~Terminal() { close(slave), close(master); }
    // Reads the screen until `text` shows; false when nothing more comes.
    bool WaitFor(const QByteArray& text) const {
        QByteArray seen;
        char chunk[256];
        for (pollfd in{master, POLLIN, 0}; !seen.contains(text);) {
            const ssize_t n = poll(&in, 1, 30000) > 0 ? read(master, chunk, sizeof chunk) : -1;
            if (n <= 0) return false;
            seen.append(chunk, n);
        }
        return true;
    }
    bool Type(QByteArray keys) const {
        for (pollfd out{master, POLLOUT, 0}; !keys.isEmpty();) {
            if (poll(&out, 1, 30000) <= 0) return false;
            const ssize_t n = write(master, keys.constData(), size_t(keys.size()));
            if (n < 0 && errno != EAGAIN) return false;
            keys.remove(0, std::max<ssize_t>(n, 0));
        }
        return true;
    }
    tcflag_t LocalModes() const {
        termios t{};
        return tcgetattr(slave, &t) == 0 ? t.c_lflag : 0;
    }
    int Unread() const {
        int n = -1;
        return ioctl(slave, FIONREAD, &n) == 0 ? n : -1;
    }
};

// The dates the program writes for now, as "DATE".
QString Undated(QString out) {
    static const QRegularExpression date(QStringLiteral("\\d+/\\d+/\\d{4}( \\d+:\\d\\d:\\d\\d [AP]M)?"));
    return out.replace(date, QStringLiteral("DATE"));
}

}  // namespace

class tst_cli : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    const QString lib = dir.filePath("lib.snip"), secret = dir.filePath("secret.snip");
    const QByteArray password = "pw-" + QByteArray("0123456789").repeated(500);
    const QStringList withPassword = {"SNIPPARY_PASSWORD=" + password};

private slots:
    void initTestCase() {
        std::signal(SIGPIPE, SIG_IGN);  // a program that refuses its input closes the pipe
        qunsetenv("SNIPPARY_PASSWORD");
        QCOMPARE(Run({"new", lib}).status, 0);
        QCOMPARE(Run({"new", secret, "--password"}, {.env = withPassword}).status, 0);
        QVERIFY(testsupport::WriteAll(dir.filePath("a.bas"), "Attribute VB_Name = \"A\"\r\nSub A()\r\nEnd Sub\r\n"));
        Run({"add", lib, "--category", "Modules", "--name", "A.bas", "--description", "tab\there", "--content-file",
             dir.filePath("a.bas")});
        Run({"add", lib, "--category", "functions", "--name", "beta", "--source", "it's mine", "--content-stdin"},
            {.input = "Function Beta()\nEnd Function"});
    }
    // --help, the manual page and the parser agree on every verb and option.
    void verbs() {
        const QString help = Run({"--help"}).out;
        const QString man = cli::ManPage();
        for (const cli::VerbDoc& v : cli::Verbs()) {
            QVERIFY2(cli::IsVerb(v.name.toUtf8().constData()), qPrintable(v.name));
            QVERIFY2(help.contains("snippary " + v.name), qPrintable(v.name));
            QVERIFY2(man.contains(".SS snippary " + v.name), qPrintable(v.name));
            for (const cli::OptionDoc& o : v.options) {
                QVERIFY2(help.contains(o.name), qPrintable(v.name + ' ' + o.name));
                QVERIFY2(man.contains("\\fB" + QString(o.name).replace("-", "\\-")), qPrintable(v.name + ' ' + o.name));
                QStringList args = {v.name, o.name};
                if (!o.argument.isEmpty()) args << "x";
                QVERIFY2(!Run(args).err.contains("unknown option"), qPrintable(v.name + ' ' + o.name));
            }
            QVERIFY(Run({v.name, "--bogus"}).err.startsWith("snippary: unknown option --bogus\nusage:"));
        }
        for (const char* v : {"lib.snip", "", "--nvim", "New"}) QVERIFY(!cli::IsVerb(v));
    }

    // What each verb prints, exactly; the same into a full device fails with its own
    // message. The add is the last row: the lists before it see the library as made.
    void fullOutput_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("out");
        const QString a = "A.bas\tModules\ttab\\there\tDATE\t\n", b = "beta\tFunctions\t\tDATE\tit's mine\n";
        const QString k = "<span class=\"keyword\">", c = "<span class=\"comment\">", z = "</span>";
        const QByteArray code = "\r\nIf a<b Then x = \"<&>\" ' it's <b>y</b>";
        const QStringList add = {"add", "LIB", "--category", "Snippets", "--content-stdin", "--name"};
        const auto row = [](const char* name, const QStringList& args, const QString& out,
                            const QByteArray& input = {}) { QTest::newRow(name) << args << input << out; };
        row("version", {"--version"}, "snippary " SNIPPARY_VERSION "\n");
        row("list", {"list", "LIB", "--header", "--sort", "name"},
            "Name\tType\tDescription\tDate added\tSource of code\n" + a + b);
        row("category ignoring case", {"list", "LIB", "--category", "FUNCTIONS"}, b);
        row("find", {"list", "LIB", "--find", "it's"}, b);
        row("find in name only", {"list", "LIB", "--find", "Sub", "--in", "name"}, "");
        row("find in content", {"list", "LIB", "--find", "Sub", "--in", "content"}, a);
        row("to before the first", {"list", "LIB", "--to", "1/1/2002"}, "");
        row("list as json", {"list", "LIB", "--format", "json", "--category", "Modules"},
            "[\n    {\n        \"DateAdded\": \"DATE\",\n        \"Description\": \"tab\\there\",\n        \"ID\": 1,\n"
            "        \"Name\": \"A.bas\",\n        \"Source\": \"\",\n        \"Type\": \"Modules\"\n    }\n]\n");
        row("categories", {"categories", "LIB"},
            "1\tModules\n2\tClasses\n3\tAPI Declarations\n4\tFunctions\n5\tSnippets\n");
        // The fragment is as safe as the page: markup in the code stays text unless asked for raw.
        row("colorize", {"colorize"},
            "\r\n" + k + "If" + z + " a&lt;b " + k + "Then" + z + " x = \"&lt;&amp;&gt;\" " + c +
                "' it's &lt;b&gt;y&lt;/b&gt;" + z + "\r\n",
            code);
        row("colorize raw", {"colorize", "--raw"},
            "\r\n" + k + "If" + z + " a<b " + k + "Then" + z + " x = \"<&>\" " + c + "' it's <b>y</b>" + z + "\r\n",
            code);
        row("add the longest", add + QStringList{QString(50, u'n'), "--description", QString(30, u'd')}, "3\n", "x");
    }
    void fullOutput() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QString, out);
        args.replaceInStrings("LIB", lib);
        const Result shown = Run(args, {.input = input});
        QCOMPARE(shown.status, 0);
        QCOMPARE(Undated(shown.out), out);
        QCOMPARE(shown.err, QString());
        if (out.isEmpty()) return;
        const Result full = Run(args, {.input = input, .outputFile = "/dev/full"});
        QCOMPARE(full.status, 2);
        QCOMPARE(full.err, QString("snippary: the output could not be written: No space left on device\n"));
    }

    void exportPage() {
        const QString page = dir.filePath("page.htm");
        QCOMPARE(Run({"export", lib, page, "--category", "Functions", "--colors"}).status, 0);
        const QByteArray html = ReadAll(page);
        QVERIFY(html.contains("Beta") && !html.contains("Sub A()"));
    }

    // A refusal prints its message, nothing on the output, and changes no library.
    void errors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const QStringList& args, int status, const QString& message) {
            QTest::newRow(name) << args << status << message;
        };
        const QStringList add = {"add", "LIB", "--category", "Modules", "--name"};
        row("unknown program option", {"--no-such-option"}, 1, "snippary: unknown option --no-such-option\nHELP");
        row("missing value", {"list", "x", "--find"}, 1, "--find needs a value");
        row("bad date", {"list", "LIB", "--from", "yesterday"}, 2, "--from is not a date");
        row("bad sort", {"list", "LIB", "--sort", "size"}, 1, "--sort takes");
        row("unknown category", {"list", "LIB", "--category", "x"}, 2, "no category named x");
        row("export over the library", {"export", "LIB", "LIB"}, 2, "LIB is a snippet library");
        row("font out of its quotes", {"export", "LIB", "/no/such/p.htm", "--font", "\"}</style><script>"}, 1,
            "--font cannot hold");
        row("new over a library", {"new", "LIB"}, 2, "already exists");
        row("export to no folder", {"export", "LIB", "/no/such/dir/p.htm"}, 2, "76 # Path not found");
        row("no password, no terminal", {"categories", "SECRET"}, 2, "3031 #");
        row("new without a password", {"new", "NEW", "--password"}, 2, "no password");
        row("name too long", add + QStringList{QString(51, u'n'), "--content-stdin"}, 2, "--name is longer than 50");
        row("add to no category", {"add", "LIB", "--category", "Nope", "--name", "n", "--content-file", "A.BAS"}, 2,
            "no category named Nope");
        row("no content source", add + QStringList{"n"}, 1, "add needs exactly one of");
        row("missing content file", add + QStringList{"n", "--content-file", "/no/such.bas"}, 2, "/no/such.bas");
        row("endless input", add + QStringList{"n", "--content-stdin", "<", "/dev/zero"}, 2,
            "The standard input is too large to be a module (more than 64 MB).");
    }
    void errors() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        message.replace("LIB", lib).replace("HELP", cli::UsageText());
        args.replaceInStrings("LIB", lib)
            .replaceInStrings("A.BAS", dir.filePath("a.bas"))
            .replaceInStrings("SECRET", secret)
            .replaceInStrings("NEW", dir.filePath("nopw.snip"));
        const QString input = args.contains("<") ? args.takeLast() : QString();
        args.removeAll("<");
        const QByteArray before = ReadAll(lib) + ReadAll(secret);
        const Result r = Run(args, {.inputFile = input});
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QVERIFY(ReadAll(lib) + ReadAll(secret) == before);  // nothing changed
        QVERIFY(!QFile::exists(dir.filePath("nopw.snip")));
    }

    void passwordPrompt_data() {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<int>("sig");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("library");
        QTest::newRow("5,000 characters, typed, erased, typed again")
            << "xy\x7f\x7f" + password + '\r' << 0 << true << secret;
        QTest::newRow("Ctrl+C") << QByteArray("pw\x03") << 0 << false << secret;
        QTest::newRow("SIGTERM") << QByteArray() << int(SIGTERM) << false << secret;
        QTest::newRow("team library") << QByteArray("right-one\r") << 0 << true << QString("server");
    }
    void passwordPrompt() {
        QFETCH(QByteArray, keys);
        QFETCH(int, sig);
        QFETCH(bool, opens);
        QFETCH(QString, library);
        if (library == "server") {  // a member whose password the server asks for
            testsupport::ServerMembers();
            library = testsupport::NewServerDatabase();
            QCOMPARE(Run({"new", library}).status, 0);
            testsupport::ServerAdmin("GRANT SELECT ON ALL TABLES IN SCHEMA public TO ann",
                                     testsupport::DatabaseOf(library));
            library.replace("snippary@", "ann@");
        }
        const Terminal terminal;
        const tcflag_t before = terminal.LocalModes();
        QProcess p;
        p.setStandardInputFile(QString::fromLocal8Bit(ptsname(terminal.master)));
        p.setStandardErrorFile(QString::fromLocal8Bit(ptsname(terminal.master)), QIODevice::Append);
        p.setChildProcessModifier([] { setsid(), ioctl(STDIN_FILENO, TIOCSCTTY, 0); });
        p.start(SNIPPARY_EXE, {"categories", library});
        QVERIFY(terminal.WaitFor("Password: "));
        QVERIFY(!(terminal.LocalModes() & ECHO));
        QVERIFY(terminal.Type(keys));
        if (sig != 0) kill(pid_t(p.processId()), sig);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, opens);
        if (opens) QVERIFY(p.readAllStandardOutput().startsWith("1\tModules\n"));
        QCOMPARE(terminal.LocalModes(), before);  // echo back on, whatever ended the prompt
        QCOMPARE(terminal.Unread(), 0);           // nothing left over for the shell
    }

    // The program's memory at its very end, read from a core image, once after making a library
    // with samples and once after opening it: no copy of the password, in UTF-8 or UTF-16, may be
    // left, in use or freed.
    void passwordInMemory() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("a sanitized program's memory image holds terabytes of shadow memory; the normal build checks it");
#endif
        const QString gdb = QStandardPaths::findExecutable("gdb");
        if (gdb.isEmpty()) QSKIP("gdb takes the memory image; install it (scripts/setup)");
        const QString pass = "Kq7-memory-image-passphrase-Zx2";
        const QStringList env{"SNIPPARY_PASSWORD=" + pass};
        const QString made = dir.filePath("made.snip"), core = dir.filePath("core");
        for (const QStringList& args : {QStringList{"new", made, "--password", "--sample"}, {"categories", made}}) {
            QFile::remove(core);
            const Result r = Run(QStringList{"-batch", "-nx", "-q", "-ex", "catch syscall exit_group", "-ex", "run",
                                             "-ex", "gcore " + core, "-ex", "kill", "--args", SNIPPARY_EXE} +
                                     args,
                                 {.env = env}, gdb);
            if (r.err.contains("ptrace: Operation not permitted")) QSKIP("this machine forbids gdb to trace a program");
            const QByteArray image = ReadAll(core);
            QVERIFY2(image.size() > 1000, qPrintable(r.out + r.err));
            QVERIFY2(!image.contains(pass.toUtf8()), qPrintable(args[0]));
            QVERIFY2(!image.contains(QByteArray(reinterpret_cast<const char*>(pass.utf16()), pass.size() * 2)),
                     qPrintable(args[0]));
        }
        QCOMPARE(Run({"categories", made}, {.env = env}).status, 0);  // the password was used
    }

    // The trace of an encrypted library: its statements, never its password, in a file
    // that only its owner can read.
    void trace() {
        const QString trace = dir.filePath("trace.jsonl");
        const mode_t before = umask(022);
        const QStringList env{"SNIPPARY_PASSWORD=" + password, "SNIPPARY_TRACE_SQL=" + trace};
        const Result r = Run({"list", secret, "--find", "'); DROP TABLE Code; --"}, {.env = env});
        umask(before);
        QCOMPARE(r.status, 0);
        struct stat st {};
        QCOMPARE(stat(QFile::encodeName(trace).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));
        const QByteArray lines = ReadAll(trace);
        QVERIFY(lines.contains("SELECT * FROM qDisplay") && lines.contains("Instr(Name,'''); DROP TABLE Code; --')>0"));
        QVERIFY(!lines.contains("Provider=") && !lines.contains(password.left(20)));
    }

    // A team moves its library to the server and a member takes a copy home: every
    // row comes back byte for byte; members adding at the same moment lose nothing.
    void teamLibrary() {
        const QString server = testsupport::NewServerDatabase(), home = dir.filePath("home.snip");
        const QString hostile = "'); DROP TABLE Code;-- $$ E'\\' \\ \t\\N \\.\r\n\u00e4\U0001d11e";
        // Past its first megabyte a copy to a server goes in a second stream: the hostile row goes there.
        Run({"add", secret, "--category", "Classes", "--name", "big", "--content-stdin"},
            {.input = QByteArray(1 << 20, 'x'), .env = withPassword});
        Run({"add", secret, "--category", "Snippets", "--name", "h", "--source", "$$", "--content-stdin"},
            {.input = hostile.toUtf8(), .env = withPassword});
        // A copy the server refuses part way (a crafted row) leaves its library as it was.
        const auto craft = [&](const char* sql) {
            store::sqlite::OpenFile(secret, QString::fromUtf8(password), false, false)->Exec(sql);
        };
        craft("UPDATE Code SET TypeID = TypeID || 'x' WHERE ID = 2");
        QVERIFY(Run({"copy", secret, server}, {.env = withPassword}).err.startsWith("snippary: 3464 #"));
        craft("UPDATE Code SET TypeID = CAST(rtrim(TypeID, 'x') AS INTEGER) WHERE ID = 2");
        QCOMPARE(Run({"copy", secret, server}, {.env = withPassword}).out, QString("2\n"));
        // The copy taken home gets a password of its own.
        QCOMPARE(Run({"copy", server, home, "--password"}, {.env = {"SNIPPARY_DEST_PASSWORD=" + password}}).out,
                 QString("2\n"));
        QVERIFY(Run({"copy", home, server}, {.env = withPassword}).err.contains("already holds snippets"));
        const QStringList json = {"--all", "--format", "json"};
        const QString fromSecret = Run(QStringList{"list", secret} + json, {.env = withPassword}).out;
        QVERIFY(fromSecret.contains("\"ID\": 1"));
        QCOMPARE(Run({"export", secret, dir.filePath("a.htm")}, {.env = withPassword}).status, 0);
        for (const QString& copy : {server, home}) {
            QCOMPARE(Run(QStringList{"list", copy} + json, {.env = withPassword}).out, fromSecret);
            QCOMPARE(Run({"export", copy, dir.filePath("b.htm")}, {.env = withPassword}).status, 0);
            QCOMPARE(ReadAll(dir.filePath("b.htm")), ReadAll(dir.filePath("a.htm")));
        }

        QProcess adders[8];
        for (int i = 0; i < 8; ++i) {
            adders[i].start(SNIPPARY_EXE,
                            {"add", server, "--category", "Modules", "--name", QString::number(i), "--content-stdin"});
            adders[i].write("x");
            adders[i].closeWriteChannel();
        }
        QSet<QByteArray> ids;  // a failed adder prints no id
        for (QProcess& p : adders) ids.insert(p.waitForFinished(60000) ? p.readAllStandardOutput() : QByteArray());
        QCOMPARE(ids.size(), 8);
        QCOMPARE(Run({"list", server, "--category", "Modules"}).out.count(u'\n'), 8);
    }
};

QTEST_GUILESS_MAIN(tst_cli)
#include "tst_cli.moc"
