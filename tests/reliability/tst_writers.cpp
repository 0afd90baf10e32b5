// Every writer of a user's file on a full disk, aimed at a library, and killed
// half-way: the old file stays whole and nothing is left beside it.
#include <QtTest>
#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "addin/registration.h"
#include "cli/runner.h"
#include "settings/registry.h"
#include "settings/snipparysettings.h"
#include "testsupport.h"

using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

int Run(const QStringList& args, const QByteArray& input = QByteArray()) {
    cli::Io io;
    io.readStdin = [input] { return input; };
    return cli::RunVerb(args, io);
}

QStringList Listing(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A process that may make no file longer than `limit` bytes; `die` leaves the
// limit's signal its default action, which kills the process at the write.
// Returns the wait status.
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

class tst_writers : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    QString small, large;  // pages below and above the write buffer
    QString disk;          // a small file system of our own, when one could be mounted
    bool mounted = false;

    // Runs `write` on a full disk and says whether it reported the failure: in the
    // small file system filled to its last block, or in a child process that may
    // not make a file longer than 16 bytes.
    bool OnFullDisk(const std::function<bool()>& write) {
        if (!mounted) {
            const int status = InChild(16, false, write);
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        QFile filler(disk + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        const bool reported = write();
        filler.remove();
        return reported;
    }

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        small = home.filePath("small.snip");
        large = home.filePath("large.snip");
        for (const QString& lib : {small, large}) {
            QCOMPARE(Run({"new", lib}), 0);
            QCOMPARE(Run({"add", lib, "--category", "Modules", "--name", "A", "--content-stdin"},
                         lib == small ? QByteArray("Sub A()\r\nEnd Sub") : QByteArray(40000, 'x')),
                     0);
        }
        disk = home.filePath("disk");
        QVERIFY(QDir().mkpath(disk));
        mounted = ::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
        if (!mounted) qInfo("no file system could be mounted; a file-size limit stands in for the full disk");
    }
    void init() { QDir(disk).removeRecursively(); }  // all but the mount point itself
    void cleanupTestCase() {
        if (mounted) umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
    }

    void writers_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<int>("size");        // bytes beyond the writer's own
        QTest::addColumn<QString>("hazard");  // full disk, library, link to a library
        for (const char* writer : {"page", "add-in file", "settings", "page last shown"}) {
            QTest::addRow("%s, small, full disk", writer) << writer << 0 << "full disk";
            QTest::addRow("%s, 40 KB, full disk", writer) << writer << 40000 << "full disk";
            QTest::addRow("%s over a library", writer) << writer << 0 << "library";
            QTest::addRow("%s through a link to a library", writer) << writer << 0 << "link to a library";
        }
        QTest::newRow("new library, full disk") << "new library" << 0 << "full disk";
    }
    void writers() {
        QFETCH(QString, writer);
        QFETCH(int, size);
        QFETCH(QString, hazard);
        const bool full = hazard == QLatin1String("full disk");
        const QString folder = full && mounted ? disk : QDir(home.path()).filePath(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(folder));
        const bool registry = writer == QLatin1String("page last shown");
        const QString target =
            folder + (registry ? QStringLiteral("/snippary/registry.ini") : QStringLiteral("/target"));
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));

        // What is there before: another program's entry, a library, or the page of an earlier export.
        QByteArray old = "<HTML>an earlier page</HTML>\r\n";
        if (writer == QLatin1String("add-in file")) old = "[Add-Ins32]\r\nOther.Connect=1\r\n";
        if (writer == QLatin1String("settings")) old = "[Snippary]\r\nDB=/home/me/mine.snip\r\n";
        if (registry) old = "[HKLM\\SOFTWARE\\Orvane\\VBSnippary]\r\nTab=1\r\n";
        for (int i = 0; writer != QLatin1String("page") && i * 40 < size; ++i)
            old += "[Note" + QByteArray::number(i) + "]\r\nn=" + QByteArray(24, 'n') + "\r\n";
        if (!full) old = ReadAll(small);
        if (writer != QLatin1String("new library")) QVERIFY(WriteAll(target, old));
        if (hazard == QLatin1String("link to a library")) {
            QVERIFY(QFile::rename(target, target + QStringLiteral(".snip")));
            QVERIFY(QFile::link(target + QStringLiteral(".snip"), target));
        }
        const QStringList before = Listing(QFileInfo(target).path());

        const std::function<bool()> attempt = [&]() -> bool {
            if (writer == QLatin1String("page")) return Run({"export", size > 0 ? large : small, target}) != 0;
            if (writer == QLatin1String("settings")) return !settings::WriteSettings(target, {});
            if (writer == QLatin1String("new library")) return Run({"new", target, "--sample"}) != 0;
            // These two ignore a failure, at start-up and at exit.
            if (writer == QLatin1String("add-in file")) addin::StartUp(target);
            if (registry) {
                QStandardPaths::setTestModeEnabled(false);
                qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
                settings::RegWriteString(settings::HKEY_LOCAL_MACHINE, settings::RegistryKey, "Tab", "2");
            }
            return true;
        };
        QVERIFY2(full ? OnFullDisk(attempt) : attempt(), "the writer reported success");
        QCOMPARE(ReadAll(target), writer == QLatin1String("new library") ? QByteArray("<missing>") : old);
        QCOMPARE(Listing(QFileInfo(target).path()), before);
        if (folder != disk) QDir(folder).removeRecursively();
    }

    // Killed by the file-size limit's signal in the middle of writing, the writer
    // has no chance to clean up; the next run of the same writer leaves only its file.
    void killedHalfWay_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("new library") << QStringList{"new", "TARGET", "--sample"};
        QTest::newRow("page") << QStringList{"export", "LARGE", "TARGET"};
    }
    void killedHalfWay() {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        const QString target = dir.filePath("target");
        args.replaceInStrings("TARGET", target).replaceInStrings("LARGE", large);
        const int status = InChild(16384, true, [&] { return Run(args) == 0; });
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ, "the writer was not killed half-way");
        QVERIFY(!QFile::exists(target));
        QCOMPARE(Run(args), 0);
        QCOMPARE(Listing(dir.path()), QStringList{"target"});
    }
};

QTEST_GUILESS_MAIN(tst_writers)
#include "tst_writers.moc"
