// Killed at any moment, the program loses nothing it reported as done and leaves no half change.
// Every writer of a user's file on a full disk, aimed at a library, or killed half-way leaves the
// old file whole and nothing beside it.
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "addin/registration.h"
#include "cli/runner.h"
#include "export/htmlwriter.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "store/operations.h"
#include "store/statements.h"
#include "settings/registry.h"
#include "settings/snipparysettings.h"
#include "testsupport.h"

using testsupport::ReadAll;

namespace {

// The library as the checks see it.
struct Model {
    QMap<qint64, QString> snippets;  // ID -> "TypeID first line of the content"
    QSet<qint64> categories;         // TypeIDs beyond the five
    QString health = "ok 0";         // the integrity check, and how many snippets lost their category
    bool operator==(const Model&) const = default;
};

// Applies one change the worker reported: "done <verb> <tag> [<TypeID>] <ID>".
void Apply(Model& m, const QStringList& w) {
    const QString verb = w.value(1), tag = w.value(2), type = w.value(3);
    const qint64 id = w.last().toLongLong();
    if (verb == "add") m.snippets[id] = type + " c" + tag;
    if (verb == "save") m.snippets[id] = m.snippets[id].section(u' ', 0, 0) + " saved " + tag;
    if (verb == "del") m.snippets.remove(id);
    if (verb == "cat") m.categories.insert(id);
    if (verb == "delcat") {
        m.categories.remove(id);
        m.snippets.removeIf([&](auto it) { return it.value().section(u' ', 0, 0) == type; });
    }
}

// The worker: one change at a time through the library operations, saying "begin ..."
// before and "done ..." after each (a new row's ID last), flushed at once.
int Work(const QString& library, const QString& page, const QString& seed) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line out at once
    std::mt19937 rng(seed.toUInt());
    auto pick = [&rng](qsizetype n) { return int(std::uniform_int_distribution<qsizetype>(0, n - 1)(rng)); };
    store::Connection con;
    con.Open(store::ConnectionString::ForLibrary(library).Build());
    QString made;  // " <ID>" of the row a change made
    const auto step = [&made](const QString& what, const std::function<void()>& change) {
        made.clear();
        std::fputs(qPrintable("begin " + what + '\n'), stdout);
        change();
        std::fputs(qPrintable("done " + what + made + '\n'), stdout);
    };
    for (int i = 0;; ++i) {
        const QString tag = QStringLiteral("%1-%2").arg(seed).arg(i);
        const int op = pick(10);
        QList<qint64> ids;
        store::Recordset rs;
        for (rs.Open("SELECT ID FROM Code", &con); !rs.Eof(); rs.MoveNext()) ids << rs.Fields(0).toLongLong();
        const qint64 id = ids.isEmpty() ? 0 : ids[pick(ids.size())];
        const std::vector<store::Category> all = store::ReadCategories(con);  // the five first
        const store::Category cat = all.size() > 5 ? all[5 + pick(all.size() - 5)] : store::Category();
        const QString tagged = QStringLiteral(" %1 %2").arg(tag).arg(id);
        if (op < 4 || id == 0) {
            const qint64 typeId = cat.typeId == 0 || pick(2) ? 1 + pick(5) : cat.typeId;
            const QString content = "c" + tag + "\r\n'); DROP TABLE Code; -- it's " + QString(pick(20000), u'x');
            step(QStringLiteral("add %1 %2").arg(tag).arg(typeId), [&] {
                made = " " + QString::number(store::AddSnippet(con, {typeId, "n" + tag, {}, "1/1/2002", {}, content}));
            });
        } else if (op < 6) {
            step("save" + tagged, [&] { store::SaveContent(con, id, "saved " + tag); });
        } else if (op < 7) {
            step("del" + tagged, [&] { store::DeleteSnippet(con, id); });
        } else if (op < 8) {
            step("cat " + tag, [&] { made = " " + QString::number(store::InsertCategory(con, "Cat " + tag)); });
        } else if (op < 9 && cat.typeId != 0) {
            step(QStringLiteral("delcat %1 %2").arg(tag).arg(cat.typeId),
                 [&] { store::DeleteCategory(con, cat.name, cat.typeId); });
        } else {
            exporting::ExportOptions o;
            o.colors = pick(2) == 0;
            step("export " + tag, [&] { exporting::WriteHtmlPage(con, store::ExportQuery({}, {}, {}), o, page); });
        }
    }
}

Model Read(const QString& library) {
    store::Connection con;
    con.Open(store::ConnectionString::ForLibrary(library).Build());
    Model m;
    store::Recordset rs;
    for (rs.Open("SELECT ID, TypeID, Content FROM Code", &con); !rs.Eof(); rs.MoveNext())
        m.snippets[rs.Fields(0).toLongLong()] =
            rs.Fields(1).toString() + ' ' + rs.Fields(2).toString().section(QStringLiteral("\r\n"), 0, 0);
    for (rs.Open("SELECT TypeID FROM Types WHERE TypeID>5", &con); !rs.Eof(); rs.MoveNext())
        m.categories.insert(rs.Fields(0).toLongLong());
    rs.Open("PRAGMA integrity_check", &con);
    m.health = rs.Fields(0).toString();
    rs.Open("SELECT count(*) FROM Code WHERE TypeID NOT IN (SELECT TypeID FROM Types)", &con);
    m.health += ' ' + rs.Fields(0).toString();
    return m;
}

int Run(const QStringList& args, const QByteArray& input = QByteArray()) {
    cli::Io io;
    io.readStdin = [input] { return input; };
    return cli::RunVerb(args, io);
}

QStringList Listing(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// `work` in a process that may make no file longer than `limit` bytes; `die` leaves the
// limit's signal its default action, which kills the process at the write. Returns the wait status.
int InChild(rlim_t limit, bool die, const std::function<bool()>& work) {
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit size{limit, limit}, core{0, 0};
        setrlimit(RLIMIT_CORE, &core);
        setrlimit(RLIMIT_FSIZE, &size);
        signal(SIGXFSZ, die ? SIG_DFL : SIG_IGN);
        _exit(work() ? 0 : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    return status;
}

}  // namespace

class tst_crashsafety : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    // Libraries whose pages are below and above the write buffer.
    const QString small = home.filePath("small.snip"), large = home.filePath("large.snip");

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        for (const QString& lib : {small, large}) {
            QCOMPARE(Run({"new", lib}), 0);
            const QByteArray content = lib == small ? QByteArray("Sub A()\r\nEnd Sub") : QByteArray(40000, 'x');
            QCOMPARE(Run({"add", lib, "--category", "Modules", "--name", "A", "--content-stdin"}, content), 0);
        }
    }

    // The full disk is a child process that may not make a file longer than 16 bytes.
    void writers_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<int>("size");        // bytes beyond the writer's own
        QTest::addColumn<QString>("hazard");  // full disk, library, link to a library, killed
        for (const char* writer : {"page", "add-in file", "settings", "page last shown"}) {
            QTest::addRow("%s, small, full disk", writer) << writer << 0 << "full disk";
            QTest::addRow("%s, 40 KB, full disk", writer) << writer << 40000 << "full disk";
            QTest::addRow("%s over a library", writer) << writer << 0 << "library";
            QTest::addRow("%s through a link to a library", writer) << writer << 0 << "link to a library";
        }
        QTest::newRow("new library, full disk") << "new library" << 0 << "full disk";
        QTest::newRow("new library killed half-way") << "new library" << 0 << "killed";
        QTest::newRow("page killed half-way") << "page" << 40000 << "killed";
    }
    void writers() {
        QFETCH(QString, writer);
        QFETCH(int, size);
        QFETCH(QString, hazard);
        const QString folder = home.filePath(QTest::currentDataTag());
        const bool registry = writer == "page last shown";
        const QString target = folder + (registry ? "/snippary/registry.ini" : "/target");
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));

        // What is there before: a library, or a file with another program's entries.
        QByteArray old = hazard.endsWith("library")
                             ? ReadAll(small)
                             : "[Add-Ins32]\r\nOther.Connect=1\r\n[HKLM\\SOFTWARE\\Orvane\\VBSnippary]\r\nTab=1\r\n";
        if (writer != "page") old += QByteArray("; a note\r\n").repeated(size / 10);
        if (writer != "new library") QVERIFY(testsupport::WriteAll(target, old));
        if (hazard == "link to a library")
            QVERIFY(QFile::rename(target, target + ".snip") && QFile::link(target + ".snip", target));
        QStringList before = Listing(QFileInfo(target).path());

        const std::function<bool()> attempt = [&]() -> bool {
            if (writer == "page") return Run({"export", size > 0 ? large : small, target}) != 0;
            if (writer == "settings") return !settings::WriteSettings(target, {});
            if (writer == "new library") return Run({"new", target, "--sample"}) != 0;
            // These two ignore a failure, at start-up and at exit.
            if (writer == "add-in file") addin::StartUp(target);
            if (registry) {
                QStandardPaths::setTestModeEnabled(false);
                qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
                settings::RegWriteString(settings::HKEY_LOCAL_MACHINE, settings::RegistryKey, "Tab", "2");
            }
            return true;
        };
        const int status = hazard == "killed"      ? InChild(16384, true, attempt)
                           : hazard == "full disk" ? InChild(16, false, attempt)
                                                   : int(!attempt());
        if (hazard == "killed")
            QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ, "the writer was not killed half-way");
        else  // a wait status of 0: the child exited with 0
            QVERIFY2(status == 0, "the writer reported success");
        QCOMPARE(ReadAll(target), writer == "new library" ? QByteArray("<missing>") : old);
        if (hazard == "killed") {  // it had no chance to clean up: its next run does
            QVERIFY(!attempt());
            before = QStringList{"target"};
        }
        QCOMPARE(Listing(QFileInfo(target).path()), before);
    }

    void killedAtRandom() {
        QTemporaryDir dir;
        const QString library = dir.filePath("crash.snip"), page = dir.filePath("page.htm");
        store::CreateLibrary(library, QString(), false);
        const int rounds = qMax(40, qEnvironmentVariableIntValue("SNIPPARY_CRASH_ROUNDS"));
        std::mt19937 rng(20261207);
        Model model;
        int changes = 0, exports = 0;
        QByteArray pageBefore = ReadAll(page);
        for (int round = 0; round < rounds; ++round) {
            QProcess worker;
            worker.start(QCoreApplication::applicationFilePath(), {"--worker", library, page, QString::number(round)});
            QVERIFY(worker.waitForStarted());
            QTest::qWait(std::uniform_int_distribution<int>(30, 400)(rng));
            worker.kill();  // SIGKILL: no clean-up of any kind
            QVERIFY(worker.waitForFinished());
            const QByteArray said = worker.readAllStandardOutput();
            QVERIFY2(worker.exitStatus() == QProcess::CrashExit,
                     qPrintable("the worker stopped by itself: " + said.right(300)));

            // What the worker said it did, and the one change it may have been making.
            QStringList inFlight;
            for (const QByteArray& line : said.split('\n')) {
                const QStringList w = QString::fromUtf8(line).split(u' ');
                if (w[0] == "begin") inFlight = w;
                if (w[0] != "done") continue;
                Apply(model, w);
                inFlight.clear();
                ++changes;
                exports += w.value(1) == "export";
            }
            const Model stored = Read(library);
            if (stored != model && !inFlight.isEmpty()) {
                // The change in flight may have landed, but then whole; a new row's ID is the one the store has more.
                for (qint64 id : stored.snippets.keys())
                    if (!model.snippets.contains(id)) inFlight << QString::number(id);
                for (qint64 id : stored.categories)
                    if (!model.categories.contains(id)) inFlight << QString::number(id);
                Apply(model, inFlight);
            }
            QVERIFY2(stored == model,
                     qPrintable(QStringLiteral("round %1: lost or half done: %2").arg(round).arg(inFlight.join(u' '))));

            // A killed export leaves the old page, or none; a page that changed is a new one, whole.
            const QByteArray pageNow = ReadAll(page);
            QVERIFY2(
                pageNow == pageBefore ||
                    (said.contains("begin export") && pageNow.startsWith("\xEF\xBB\xBF<HTML>\r\n") &&
                     pageNow.endsWith("</BODY>\r\n</HTML>\r\n")),
                qPrintable(QStringLiteral("round %1: the page changed into %2 bytes").arg(round).arg(pageNow.size())));
            pageBefore = pageNow;
        }
        // What a killed export left beside the page goes with the next export.
        QCOMPARE(Run({"export", library, page}), 0);
        QCOMPARE(Listing(dir.path()).filter(QRegularExpression("^(?!crash\\.snip)")), QStringList{"page.htm"});
        QVERIFY2(exports > 0, "no export was finished: the page was never tested");
        QVERIFY2(changes > rounds, "the worker made too few changes to prove anything");
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        if (argc == 5 && QByteArray(argv[1]) == "--worker") return Work(argv[2], argv[3], argv[4]);
    } catch (const store::StoreError& e) {
        std::fputs(qPrintable("error " + e.Message()), stdout);
        return 4;
    }
    tst_crashsafety test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_crashsafety.moc"
