// The editor plugin end to end: a headless Neovim loads editor/nvim; `:Snippary`,
// `:SnipparyShow` or g:snippary_autoconnect starts the real program as its add-in, whose
// window shows at once; the menus and the show command bring the window back, and
// `:SnipparyDisconnect` takes everything away again. A killed editor leaves the
// program's open window running.
#include <QtTest>
#include <csignal>

#include "addin/nvimhost.h"
#include "nvimeditor.h"

using namespace addin;

namespace {

qint64 Channel(nvim::Host& host) { return host.Call("nvim_get_var", {"snippary_channel"}).toLongLong(); }

bool Running(nvim::Host& host, qint64 job) {
    return host.Call("nvim_call_function", {"jobwait", QVariantList{QVariantList{job}, 0}}).toList().value(0).toInt() ==
           -1;
}

// The program sets g:snippary_window each time it shows its window.
bool WindowShown(nvim::Host& host) { return host.Call("nvim_get_var", {"snippary_window"}).toInt() == 1; }

}  // namespace

class tst_nvimplugin : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("nvim").isEmpty()) QSKIP("nvim is not installed");
    }
    void connectShowDisconnect_data();
    void connectShowDisconnect();

private:
    // The editor with the plugin loaded and the program built beside the tests.
    static QStringList PluginArgs() {
        return {"--cmd", "let g:snippary_executable = '" SNIPPARY_PROGRAM "'",
                "--cmd", "set runtimepath^=" SNIPPARY_PLUGIN_DIR,
                "-c",    "runtime plugin/snippary.lua"};
    }
};

void tst_nvimplugin::connectShowDisconnect_data() {
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("start");    // the command that starts the program; empty: none
    QTest::addColumn<bool>("killEditor");  // at the end, instead of disconnecting
    QTest::newRow("command") << QStringList{} << "Snippary" << false;
    QTest::newRow("show command, editor killed") << QStringList{} << "SnipparyShow" << true;
    QTest::newRow("autoconnect") << QStringList{"--cmd", "let g:snippary_autoconnect = 1"} << "" << false;
}

void tst_nvimplugin::connectShowDisconnect() {
    QFETCH(QStringList, settings);
    QFETCH(QString, start);
    QFETCH(bool, killEditor);
    Editor e(settings + PluginArgs());
    nvim::Rpc rpc(e.fromEditor, e.toEditor, 10000);
    nvim::Host host(rpc);
    if (!start.isEmpty()) {
        QCOMPARE(Channel(host), 0);
        host.Command(start);
    }
    QTRY_VERIFY_WITH_TIMEOUT(Channel(host) > 0, 10000);
    const qint64 job = Channel(host);
    QTRY_COMPARE_WITH_TIMEOUT(MenuEntries(host, "Add-Ins"), QStringList{"Snippary"}, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(WindowShown(host), 10000);
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
        e.Kill();
        QTest::qWait(1500);
        QCOMPARE(kill(program, 0), 0);  // still running: the window keeps what the user typed
        kill(program, SIGTERM);
        QTRY_VERIFY(kill(program, 0) != 0);
        return;
    }
    host.Command("SnipparyDisconnect");
    QCOMPARE(Channel(host), 0);
    QVERIFY(!Running(host, job));
    QVERIFY(MenuEntries(host, "Add-Ins").isEmpty());
    QVERIFY(MenuEntries(host, "VB Velmora").isEmpty());
}

QTEST_GUILESS_MAIN(tst_nvimplugin)
#include "tst_nvimplugin.moc"
