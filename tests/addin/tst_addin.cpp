// The add-in in a real headless Neovim: Insert into its buffers, the editor plugin driving
// the real program, and editor messages that cannot be read.
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include "addin/insert.h"
#include "addin/nvimhost.h"
#include "testsupport.h"

using namespace addin;

namespace {

// `nvim --embed` talking on one socket (its stdin and stdout), killed when the test is done.
struct Editor : QProcess {
    int fd = -1;
    explicit Editor(const QStringList& extra = {}) {
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
        setChildProcessModifier([ends] {
            dup2(ends[1], 0);
            dup2(ends[1], 1);
        });
        start("nvim", QStringList{"--embed", "--headless", "--clean", "-u", "NONE", "-i", "NONE", "-n"} + extra);
        ::close(ends[1]);
        fd = ends[0];
    }
    ~Editor() override {
        kill();
        waitForFinished();
        ::close(fd);
    }
};

qint64 Channel(nvim::Host& host) { return host.Call("nvim_get_var", {"snippary_channel"}).toLongLong(); }
bool WindowShown(nvim::Host& host) { return host.Call("nvim_get_var", {"snippary_window"}).toInt() == 1; }

// The names of the entries of one of the editor's menus; none when there is no such menu.
QStringList MenuEntries(nvim::Host& host, const QString& menu) {
    const char* names =
        "local ok, m = pcall(vim.fn.menu_get, ...) "
        "return ok and m[1] and vim.tbl_map(function(e) return e.name end, m[1].submenus) or {}";
    return host.Call("nvim_exec_lua", {names, QVariantList{menu}}).toStringList();
}

}  // namespace

class tst_addin : public QObject {
    Q_OBJECT
private slots:
    void insert_data() {
        QTest::addColumn<QString>("type");  // the category shown
        QTest::addColumn<QString>("row");   // empty: no row selected
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("buffer");  // the current buffer's name after; empty: the one typed in
        QTest::addColumn<QStringList>("lines");
        const QStringList whole{"Sub A()", "    MsgBox \"it's\"", "End Sub"};
        const QStringList atCursor = QStringList{"one"} + whole + QStringList{"two"};
        const auto row = [](const char* name, QString type, QString snippet, QString selected, QString buffer,
                            QStringList lines) {
            QTest::newRow(name) << type << snippet << selected << buffer << lines;
        };
        row("module, '.bas' anywhere goes", "Modules", "A.Basic Tools.bas", "Sub", "aictools.bas", whole);
        row("class, dots and blanks go", "Classes", "My.Class Two.cls", "", "myclasstwo.cls", whole);
        row("name the editor refuses", "Modules", "3-Way (new)", "", "Module1.bas", whole);
        row("no row selected", "Classes", "", "", "Class1.cls", whole);
        row("other category, at the cursor", "Functions", "f", "", "", atCursor);
        row("selection only", "Snippets", "f", "End Sub", "", {"one", "End Sub", "two"});
        row("category names are case-sensitive", "modules", "f", "", "", atCursor);
    }

    void insert() {
        QFETCH(QString, type);
        QFETCH(QString, row);
        QFETCH(QString, selected);
        QFETCH(QString, buffer);
        QFETCH(QStringList, lines);
        if (QStandardPaths::findExecutable("nvim").isEmpty()) QSKIP("nvim is not installed");
        Editor e;
        nvim::Rpc rpc(e.fd, e.fd);
        nvim::Host host(rpc);
        host.Call("nvim_buf_set_lines", {0, 0, -1, false, QVariantList{"one", "two"}});
        host.Call("nvim_win_set_cursor", {0, QVariantList{2, 2}});  // the column plays no part
        InsertSnippet(&host, type, row, !row.isEmpty(), "Sub A()\r\n    MsgBox \"it's\"\r\nEnd Sub\r\n", selected);
        QStringList shown{QFileInfo(host.Call("nvim_buf_get_name", {0}).toString()).fileName()};
        for (const QVariant& v : host.Call("nvim_buf_get_lines", {0, 0, -1, false}).toList()) shown << v.toString();
        QCOMPARE(shown, QStringList{buffer} + lines);
    }

    // The program starts as the editor's add-in and resets its add-in file entry; the menus and the
    // show command bring its window back, and disconnecting takes away all it added, leaving other
    // add-ins' entries. A killed editor leaves the program's window running.
    void connectShowDisconnect_data() {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("start");       // the command that starts the program; empty: none
        QTest::addColumn<bool>("killEditor");     // at the end, instead of disconnecting
        QTest::addColumn<QStringList>("others");  // other add-ins' entries in the toolbar menu
        QTest::newRow("command") << QStringList{} << "Snippary" << false << QStringList{};
        QTest::newRow("show command, editor killed") << QStringList{} << "SnipparyShow" << true << QStringList{};
        QTest::newRow("autoconnect, shared toolbar")
            << QStringList{"--cmd", "let g:snippary_autoconnect = 1", "--cmd", "amenu VB\\ Velmora.Other :<CR>"} << ""
            << false << QStringList{"Other"};
    }

    void connectShowDisconnect() {
        QFETCH(QStringList, settings);
        QFETCH(QString, start);
        QFETCH(bool, killEditor);
        QFETCH(QStringList, others);
        if (QStandardPaths::findExecutable("nvim").isEmpty()) QSKIP("nvim is not installed");
        // The program's settings folder, through the editor it is started by.
        QTemporaryDir config;
        const QString ini = config.filePath("snippary/VBADDIN.INI");
        QVERIFY(testsupport::WriteAll(ini, "[Add-Ins32]\r\nVBSnippary.Connect=1\r\nOther.Connect=1\r\n"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

        Editor e(settings + QStringList{"--cmd", "let g:snippary_executable = '" SNIPPARY_PROGRAM "'", "--cmd",
                                        "set runtimepath^=" SNIPPARY_PLUGIN_DIR, "-c", "runtime plugin/snippary.lua"});
        nvim::Rpc rpc(e.fd, e.fd, 10000);
        nvim::Host host(rpc);
        if (!start.isEmpty()) QCOMPARE(Channel(host), 0);  // not started before it is asked for
        if (!start.isEmpty()) host.Command(start);
        QTRY_VERIFY_WITH_TIMEOUT(Channel(host) > 0, 10000);
        const qint64 job = Channel(host);
        QTRY_COMPARE_WITH_TIMEOUT(MenuEntries(host, "Add-Ins"), QStringList{"Snippary"}, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(MenuEntries(host, "VB Velmora"), others + QStringList{"VB Snippary"}, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(WindowShown(host), 10000);
        QCOMPARE(testsupport::ReadAll(ini), "[Add-Ins32]\r\nVBSnippary.Connect=0\r\nOther.Connect=1\r\n");
        host.Command("Snippary");  // connected already: nothing new
        QCOMPARE(Channel(host), job);

        // Every way of asking for the window reaches the program, which shows it again.
        for (const char* ask : {"SnipparyShow", "emenu Add-Ins.Snippary", "emenu VB\\ Velmora.VB\\ Snippary"}) {
            host.Call("nvim_set_var", {"snippary_window", 0});
            host.Command(ask);
            QTRY_VERIFY2_WITH_TIMEOUT(WindowShown(host), ask, 10000);
        }

        if (killEditor) {
            const pid_t program = pid_t(host.Call("nvim_call_function", {"jobpid", QVariantList{job}}).toLongLong());
            e.kill();
            e.waitForFinished();
            QTest::qWait(1500);
            QCOMPARE(kill(program, 0), 0);  // still running: the window keeps what the user typed
            kill(program, SIGTERM);
            QTRY_VERIFY(kill(program, 0) != 0);
            return;
        }
        host.Command("SnipparyDisconnect");
        QCOMPARE(Channel(host), 0);
        QVERIFY(host.Call("nvim_call_function", {"jobwait", QVariantList{QVariantList{job}, 0}}).toList().value(0) !=
                -1);
        QCOMPARE(MenuEntries(host, "Add-Ins"), QStringList());
        QCOMPARE(MenuEntries(host, "VB Velmora"), others);
    }

    void brokenEditorMessages_data() {
        QTest::addColumn<QByteArray>("bytes");         // what the editor sends while we wait for answer 1
        QTest::newRow("editor gone") << QByteArray();  // the stream ends: lost, nothing to log
        QTest::newRow("reserved byte") << QByteArray("\xc1", 1);
        QTest::newRow("empty handle") << QByteArray::fromHex("94 01 01 c0 c7 00 00");
        QTest::newRow("handle of a text") << QByteArray::fromHex("94 01 01 c0 d5 00 a1 78");
        QTest::newRow("array of 4 G elements") << QByteArray::fromHex("dd ff ff ff ff");
        QTest::newRow("map of 4 G pairs") << QByteArray::fromHex("df ff ff ff ff");
        QTest::newRow("100000 nested arrays") << QByteArray(100000, '\x91') + QByteArray::fromHex("c0");
        QTest::newRow("not a message") << QByteArray::fromHex("2a");
    }

    // An editor that goes, or sends a message that cannot be read, is lost: every call fails
    // from then on, the broken message is logged, and nothing crashes.
    void brokenEditorMessages() {
        QFETCH(QByteArray, bytes);
        // The editor's side as a file: more than a pipe holds can wait there unread.
        const int fromEditor = memfd_create("editor", 0), toEditor = ::open("/dev/null", O_WRONLY);
        QCOMPARE(pwrite(fromEditor, bytes.constData(), size_t(bytes.size()), 0), ssize_t(bytes.size()));
        nvim::Rpc rpc(fromEditor, toEditor, 2000);
        if (!bytes.isEmpty()) QTest::ignoreMessage(QtWarningMsg, QRegularExpression("broken message from the editor"));
        QVERIFY_THROWS_EXCEPTION(HostError, rpc.Request("nvim_get_current_buf", {}));
        QVERIFY(!rpc.Poll());
        QVERIFY_THROWS_EXCEPTION(HostError, rpc.Request("nvim_get_current_buf", {}));
        ::close(fromEditor);
        ::close(toEditor);
    }
};

QTEST_GUILESS_MAIN(tst_addin)
#include "tst_addin.moc"
