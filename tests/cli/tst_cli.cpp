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
Result Run(const QStringList& args, const QByteArray& input) { return Run(args, Call{.input = input}); }

// A pseudo-terminal: the program gets one side as standard input and error and as
// its controlling terminal; the test types and reads on the other, as a terminal
// window does. The test keeps the program's side open to read its settings after.
struct Terminal {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    const int slave = grantpt(master) == 0 && unlockpt(master) == 0 ? open(ptsname(master), O_RDWR | O_NOCTTY) : -1;
    ~Terminal() { close(slave), close(master); }
    void Start(QProcess& p, const QStringList& args) const {
        p.setStandardInputFile(QString::fromLocal8Bit(ptsname(master)));
        p.setStandardErrorFile(QString::fromLocal8Bit(ptsname(master)), QIODevice::Append);
        p.setChildProcessModifier([] { setsid(), ioctl(STDIN_FILENO, TIOCSCTTY, 0); });
        p.start(QStringLiteral(SNIPPARY_EXE), args);
    }
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

}  // namespace

class tst_cli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void verbs();
    void listing_data();
    void listing();
    void add_data();
    void add();
    void exportPage();
    void colorize_data();
    void colorize();
    void errors_data();
    void errors();
    void fullOutput_data();
    void fullOutput();
    void passwordPrompt_data();
    void passwordPrompt();
    void passwordInMemory_data();
    void passwordInMemory();
    void trace();
    void teamLibrary();

private:
    QTemporaryDir dir;
    QString lib, secret;
    const QByteArray password = "pw-" + QByteArray("0123456789").repeated(500);
};

void tst_cli::initTestCase() {
    std::signal(SIGPIPE, SIG_IGN);  // a program that refuses its input closes the pipe
    qunsetenv("SNIPPARY_PASSWORD");
    lib = dir.filePath("lib.snip");
    secret = dir.filePath("secret.snip");
    QCOMPARE(Run({"new", lib}).status, 0);
    QCOMPARE(Run({"new", secret, "--password"}, {.env = {"SNIPPARY_PASSWORD=" + password}}).status, 0);
    QVERIFY(testsupport::WriteAll(dir.filePath("a.bas"), "Attribute VB_Name = \"A\"\r\nSub A()\r\nEnd Sub\r\n"));
    QCOMPARE(Run({"add", lib, "--category", "Modules", "--name", "A.bas", "--description", "tab\there",
                  "--content-file", dir.filePath("a.bas")})
                 .out,
             QString("1\n"));
    QCOMPARE(Run({"add", lib, "--category", "functions", "--name", "beta", "--source", "it's mine", "--content-stdin"},
                 "Function Beta()\nEnd Function")
                 .out,
             QString("2\n"));
}

void tst_cli::verbs() {
    // --help, the manual page and the parser must agree on every verb and option.
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
        const Result bogus = Run({v.name, "--bogus"});
        QCOMPARE(bogus.status, 1);
        QVERIFY(bogus.err.startsWith("snippary: unknown option --bogus\nusage:"));
    }
    for (const char* v : {"lib.snip", "", "--nvim", "New"}) QVERIFY(!cli::IsVerb(v));

    // The program itself: --help and --version print and leave; an unknown option never opens a window.
    struct Case {
        QString arg;
        int status;
        QString out, err;
    };
    for (const Case& c : {Case{"--version", 0, "snippary " SNIPPARY_VERSION "\n", ""}, Case{"--help", 0, help, ""},
                          Case{"--no-such-option", 1, "", "snippary: unknown option --no-such-option\n" + help}}) {
        const Result r = Run({c.arg});
        QCOMPARE(r.status, c.status);
        QCOMPARE(r.out, c.out);
        QCOMPARE(r.err, c.err);
    }
}

void tst_cli::listing_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("all") << QStringList{} << QStringList{"A.bas", "beta"};
    QTest::newRow("category") << QStringList{"--category", "FUNCTIONS"} << QStringList{"beta"};
    QTest::newRow("find") << QStringList{"--find", "it's"} << QStringList{"beta"};
    QTest::newRow("in name only") << QStringList{"--find", "Sub", "--in", "name"} << QStringList{};
    QTest::newRow("in content") << QStringList{"--find", "Sub", "--in", "content"} << QStringList{"A.bas"};
    QTest::newRow("to yesterday") << QStringList{"--to", "1/1/2002"} << QStringList{};
}

void tst_cli::listing() {
    QFETCH(QStringList, options);
    QFETCH(QStringList, names);
    const Result r = Run(QStringList{"list", lib} + options);
    QCOMPARE(r.status, 0);
    QStringList got;
    for (const QString& line : r.out.split(u'\n', Qt::SkipEmptyParts)) got << line.section(u'\t', 0, 0);
    got.sort(Qt::CaseInsensitive);
    QCOMPARE(got, names);
}

void tst_cli::add_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    const QString content = "--content-stdin";
    QTest::newRow("name too long") << QStringList{"--category", "Modules", "--name", QString(51, u'n'), content} << 2;
    QTest::newRow("longest accepted") << QStringList{"--category",    "Modules",         "--name", QString(50, u'n'),
                                                     "--description", QString(30, u'd'), content}
                                      << 0;
    QTest::newRow("unknown category") << QStringList{"--category", "Nope", "--name", "n", content} << 2;
    QTest::newRow("no content source") << QStringList{"--category", "Modules", "--name", "n"} << 1;
    QTest::newRow("missing file") << QStringList{"--category", "Modules",        "--name",
                                                 "n",          "--content-file", "/no/such.bas"}
                                  << 2;
}

void tst_cli::add() {
    QFETCH(QStringList, options);
    QFETCH(int, status);
    const QString copy = dir.filePath("add.snip");
    QFile::remove(copy);
    QVERIFY(QFile::copy(lib, copy));
    const Result r = Run(QStringList{"add", copy} + options, "x");
    QCOMPARE(r.status, status);
    QCOMPARE(Run({"list", copy}).out.count(u'\n'), status == 0 ? 3 : 2);  // nothing added on failure
    if (status == 0) QCOMPARE(r.out, QString("3\n"));
}

void tst_cli::exportPage() {
    const QString page = dir.filePath("page.htm");
    QCOMPARE(Run({"export", lib, page, "--category", "Functions", "--colors"}).status, 0);
    const QByteArray html = ReadAll(page);
    QVERIFY(html.contains("Beta") && !html.contains("Sub A()"));
}

// The fragment is as safe as the page: markup in the code stays text unless asked for raw.
void tst_cli::colorize_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    const QString k = "<span class=\"keyword\">", c = "<span class=\"comment\">", z = "</span>";
    QTest::newRow("escaped") << QStringList{"colorize"}
                             << "\r\n" + k + "If" + z + " a&lt;b " + k + "Then" + z + " x = \"&lt;&amp;&gt;\" " + c +
                                    "' it's &lt;b&gt;y&lt;/b&gt;" + z + "\r\n";
    QTest::newRow("raw") << QStringList{"colorize", "--raw"}
                         << "\r\n" + k + "If" + z + " a<b " + k + "Then" + z + " x = \"<&>\" " + c + "' it's <b>y</b>" +
                                z + "\r\n";
}

void tst_cli::colorize() {
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    QCOMPARE(Run(args, "\r\nIf a<b Then x = \"<&>\" ' it's <b>y</b>").out, out);
}

void tst_cli::errors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("env");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"list", "x", "--nope"} << QStringList{} << 1
                                    << "unknown option --nope";
    QTest::newRow("missing value") << QStringList{"list", "x", "--find"} << QStringList{} << 1
                                   << "--find needs a value";
    QTest::newRow("missing library") << QStringList{"list", "/no/such.snip"} << QStringList{} << 2
                                     << "3024 # Could not find file";
    QTest::newRow("bad date") << QStringList{"list", "LIB", "--from", "yesterday"} << QStringList{} << 2
                              << "--from is not a date";
    QTest::newRow("bad sort") << QStringList{"list", "LIB", "--sort", "size"} << QStringList{} << 1 << "--sort takes";
    QTest::newRow("unknown category") << QStringList{"list", "LIB", "--category", "x"} << QStringList{} << 2
                                      << "no category named x";
    QTest::newRow("export over the library")
        << QStringList{"export", "LIB", "LIB"} << QStringList{} << 2 << "LIB is a snippet library";
    QTest::newRow("font out of its quotes")
        << QStringList{"export", "LIB", "/no/such/p.htm", "--font", "\"}</style><script>"} << QStringList{} << 1
        << "--font cannot hold";
    QTest::newRow("new over a library") << QStringList{"new", "LIB"} << QStringList{} << 2 << "already exists";
    QTest::newRow("export to no folder") << QStringList{"export", "LIB", "/no/such/dir/p.htm"} << QStringList{} << 2
                                         << "76 # Path not found";
    QTest::newRow("wrong password") << QStringList{"categories", "SECRET"} << QStringList{"SNIPPARY_PASSWORD=wrong"}
                                    << 2 << "3031 # Not a valid password.";
    QTest::newRow("no password, no terminal") << QStringList{"categories", "SECRET"} << QStringList{} << 2 << "3031 #";
    const QStringList add{"add", "LIB", "--category", "Modules", "--name", "n", "--content-stdin", "<"};
    QTest::newRow("65 MB of input") << add + QStringList{"BIG"} << QStringList{} << 2
                                    << "The standard input is too large to be a module (more than 64 MB).";
    QTest::newRow("endless input") << add + QStringList{"/dev/zero"} << QStringList{} << 2
                                   << "too large to be a module";
    QTest::newRow("new without a password")
        << QStringList{"new", "NEW", "--password"} << QStringList{} << 2 << "no password";
}

void tst_cli::errors() {
    QFETCH(QStringList, args);
    QFETCH(QStringList, env);
    QFETCH(int, status);
    QFETCH(QString, message);
    message.replace("LIB", lib);
    args.replaceInStrings("LIB", lib)
        .replaceInStrings("SECRET", secret)
        .replaceInStrings("NEW", dir.filePath("nopw.snip"));
    const QString input = args.contains("<") ? args.takeLast().replace("BIG", dir.filePath("big.txt")) : QString();
    if (input.endsWith("big.txt")) QVERIFY(testsupport::WriteAll(input, QByteArray(65 << 20, 'x')));
    args.removeAll("<");
    const QByteArray before = ReadAll(lib) + ReadAll(secret);
    const Result r = Run(args, {.env = env, .inputFile = input});
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QVERIFY(ReadAll(lib) + ReadAll(secret) == before);  // nothing changed
    QVERIFY(!QFile::exists(dir.filePath("nopw.snip")));
}

void tst_cli::fullOutput_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("shows");
    QTest::newRow("list") << QStringList{"list", "LIB", "--header"} << QByteArray()
                          << "Name\tType\tDescription\tDate added\tSource of code\nA.bas\tModules\ttab\\there\t";
    QTest::newRow("list as json") << QStringList{"list", "LIB", "--format", "json"} << QByteArray()
                                  << "\"Description\": \"tab\\there\"";
    QTest::newRow("categories") << QStringList{"categories", "LIB"} << QByteArray()
                                << "1\tModules\n2\tClasses\n3\tAPI Declarations\n4\tFunctions\n5\tSnippets\n";
    QTest::newRow("help") << QStringList{"--help"} << QByteArray() << "snippary list FILE";
    QTest::newRow("colorize") << QStringList{"colorize"} << QByteArray("Private Sub X()") << "<span class=\"keyword\">";
    QTest::newRow("add") << QStringList{"add", "LIB", "--category", "Snippets", "--name", "n", "--content-stdin"}
                         << QByteArray("x") << "3\n";
}

void tst_cli::fullOutput() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(QString, shows);
    const QString copy = dir.filePath("full.snip");
    QFile::remove(copy);
    QVERIFY(QFile::copy(lib, copy));
    args.replaceInStrings("LIB", copy);
    const Result shown = Run(args, {.input = input});
    QCOMPARE(shown.status, 0);
    QVERIFY2(shown.out.contains(shows), qPrintable(shown.out));
    const Result full = Run(args, {.input = input, .outputFile = "/dev/full"});
    QCOMPARE(full.status, 2);
    QVERIFY2(full.err.contains("the output could not be written: No space left on device"), qPrintable(full.err));
}

void tst_cli::passwordPrompt_data() {
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<int>("sig");
    QTest::addColumn<bool>("opens");
    QTest::newRow("5,000 characters") << password + '\r' << 0 << true;
    QTest::newRow("typed, erased, typed again") << "xy\x7f\x7f" + password + '\r' << 0 << true;
    QTest::newRow("Ctrl+C") << QByteArray("pw\x03") << 0 << false;
    QTest::newRow("SIGTERM") << QByteArray() << int(SIGTERM) << false;
}

void tst_cli::passwordPrompt() {
    QFETCH(QByteArray, keys);
    QFETCH(int, sig);
    QFETCH(bool, opens);
    const Terminal terminal;
    const tcflag_t before = terminal.LocalModes();
    QProcess p;
    terminal.Start(p, {"categories", secret});
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

void tst_cli::passwordInMemory_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("open") << QStringList{"categories", "KEPT"};
    QTest::newRow("create with samples") << QStringList{"new", "MADE", "--password", "--sample"};
}

// The program's memory at its very end, read from a core image: no copy of the
// password, in UTF-8 or UTF-16, may be left, in use or freed.
void tst_cli::passwordInMemory() {
    QFETCH(QStringList, args);
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("a sanitized program's memory image holds terabytes of shadow memory; the normal build checks it");
#endif
    const QString gdb = QStandardPaths::findExecutable("gdb");
    if (gdb.isEmpty()) QSKIP("gdb takes the memory image; install it (scripts/setup)");
    const QString pass = "Kq7-memory-image-passphrase-Zx2";
    const QStringList env{"SNIPPARY_PASSWORD=" + pass};
    const QString kept = dir.filePath("kept.snip"), made = dir.filePath("made.snip"), core = dir.filePath("core");
    QFile::remove(made);
    if (!QFile::exists(kept)) QCOMPARE(Run({"new", kept, "--password"}, {.env = env}).status, 0);
    args.replaceInStrings("KEPT", kept).replaceInStrings("MADE", made);
    const Result r = Run(QStringList{"-batch", "-nx", "-q", "-ex", "catch syscall exit_group", "-ex", "run", "-ex",
                                     "gcore " + core, "-ex", "kill", "--args", SNIPPARY_EXE} +
                             args,
                         {.env = env}, gdb);
    if (r.err.contains("ptrace: Operation not permitted")) QSKIP("this machine forbids gdb to trace a program");
    const QByteArray image = ReadAll(core);
    QVERIFY2(image.size() > 1000, qPrintable(r.out + r.err));
    QVERIFY(!image.contains(pass.toUtf8()));
    QVERIFY(!image.contains(QByteArray(reinterpret_cast<const char*>(pass.utf16()), pass.size() * 2)));
    QCOMPARE(Run({"categories", args[1]}, {.env = env}).status, 0);  // the password was used
    QFile::remove(core);
}

// The trace of an encrypted library: its statements, never its password, in a file
// that only its owner can read.
void tst_cli::trace() {
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
    QCOMPARE(Run({"list", secret}, {.env = env}).status, 0);  // the text stayed inside its literal
}

// A team moves its library to the server and a member takes a copy home: every
// row comes back byte for byte; members adding at the same moment lose nothing.
void tst_cli::teamLibrary() {
    const QString server = testsupport::NewServerDatabase(), home = dir.filePath("home.snip");
    const QString hostile = "'); DROP TABLE Code;-- $$ E'\\' \\ \r\n\u00e4\U0001d11e";
    QCOMPARE(Run({"add", secret, "--category", "Snippets", "--name", "h", "--source", "$$", "--content-stdin"},
                 {.input = hostile.toUtf8(), .env = {"SNIPPARY_PASSWORD=" + password}})
                 .out,
             QString("1\n"));
    QCOMPARE(Run({"copy", secret, server}, {.env = {"SNIPPARY_PASSWORD=" + password}}).out, QString("1\n"));
    QCOMPARE(Run({"copy", server, home}).out, QString("1\n"));
    const Result again = Run({"copy", home, server});
    QCOMPARE(again.status, 2);
    QVERIFY2(again.err.contains("already holds snippets"), qPrintable(again.err));
    const QStringList json = {"list", "--all", "--format", "json"};
    const QString fromSecret =
        Run(QStringList{"list", secret} + json.mid(1), {.env = {"SNIPPARY_PASSWORD=" + password}}).out;
    QVERIFY(fromSecret.contains("\"ID\": 1"));
    for (const QString& copy : {server, home}) QCOMPARE(Run(QStringList{"list", copy} + json.mid(1)).out, fromSecret);
    QCOMPARE(Run({"export", secret, dir.filePath("a.htm")}, {.env = {"SNIPPARY_PASSWORD=" + password}}).status, 0);
    QCOMPARE(Run({"export", server, dir.filePath("b.htm")}).status, 0);
    QCOMPARE(ReadAll(dir.filePath("b.htm")), ReadAll(dir.filePath("a.htm")));

    std::vector<std::unique_ptr<QProcess>> adders;
    for (int i = 0; i < 8; ++i) {
        adders.push_back(std::make_unique<QProcess>());
        adders.back()->start(SNIPPARY_EXE,
                             {"add", server, "--category", "Modules", "--name", QString::number(i), "--content-stdin"});
        adders.back()->write(QByteArray::number(i));
        adders.back()->closeWriteChannel();
    }
    QSet<QString> ids;
    for (auto& p : adders) {
        QVERIFY(p->waitForFinished(60000));
        QCOMPARE(p->exitCode(), 0);
        ids.insert(QString::fromUtf8(p->readAllStandardOutput()).trimmed());
    }
    QCOMPARE(ids.size(), 8);
    QCOMPARE(Run({"list", server, "--category", "Modules"}).out.count(u'\n'), 8);
}

QTEST_GUILESS_MAIN(tst_cli)
#include "tst_cli.moc"
