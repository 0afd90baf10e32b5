// The editor plugin end to end: a headless Neovim loads editor/nvim, `:Snippary` starts
// the real program as its add-in, the menus appear, a click reaches the program, and
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
    return host.Call("nvim_call_function", {"jobwait", QVariantList{QVariantList{job}, 0}}).toList().value(0).toInt() == -1;
}

}  // namespace

class tst_nvimplugin : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("nvim").isEmpty()) QSKIP("nvim is not installed");
    }
    void connectClickDisconnect();
    void killedEditorLeavesWindow();

private:
    // The editor with the plugin loaded and the program built beside the tests.
    static QStringList PluginArgs() {
        return {"--cmd", "let g:snippary_executable = '" SNIPPARY_PROGRAM "'", "--cmd",
                "set runtimepath^=" SNIPPARY_PLUGIN_DIR, "-c", "runtime plugin/snippary.lua"};
    }
};

void tst_nvimplugin::connectClickDisconnect() {
    Editor e(PluginArgs());
    nvim::Rpc rpc(e.fromEditor, e.toEditor, 10000);
    nvim::Host host(rpc);
    QCOMPARE(Channel(host), 0);

    host.Command("Snippary");
    const qint64 job = Channel(host);
    QVERIFY(job > 0);
    QTRY_COMPARE_WITH_TIMEOUT(MenuEntries(host, "Add-Ins"), QStringList{"Snippary"}, 20000);
    QVERIFY(MenuEntries(host, "VB Velmora").contains("VB Snippary"));
    host.Command("Snippary");  // connected already: nothing new
    QCOMPARE(Channel(host), job);

    // Both entries reach the program, which stays up to show its window.
    host.Command("emenu Add-Ins.Snippary");
    host.Command("emenu VB\\ Velmora.VB\\ Snippary");
    QTest::qWait(500);
    QVERIFY(Running(host, job));

    host.Command("SnipparyDisconnect");
    QCOMPARE(Channel(host), 0);
    QVERIFY(!Running(host, job));
    QVERIFY(MenuEntries(host, "Add-Ins").isEmpty());
    QVERIFY(MenuEntries(host, "VB Velmora").isEmpty());
}

void tst_nvimplugin::killedEditorLeavesWindow() {
    Editor e(PluginArgs());
    nvim::Rpc rpc(e.fromEditor, e.toEditor, 10000);
    nvim::Host host(rpc);
    host.Command("Snippary");
    QTRY_COMPARE_WITH_TIMEOUT(MenuEntries(host, "Add-Ins"), QStringList{"Snippary"}, 20000);
    const qint64 job = Channel(host);
    const pid_t program = pid_t(host.Call("nvim_call_function", {"jobpid", QVariantList{job}}).toLongLong());
    QVERIFY(program > 0);
    host.Command("emenu Add-Ins.Snippary");  // the window is open
    QTest::qWait(1000);

    e.Kill();
    QTest::qWait(1500);
    // Still running: the window keeps what the user typed.
    QCOMPARE(kill(program, 0), 0);
    kill(program, SIGTERM);
    for (int i = 0; i < 50 && kill(program, 0) == 0; ++i) QTest::qWait(100);
    QVERIFY(kill(program, 0) != 0);
}

QTEST_GUILESS_MAIN(tst_nvimplugin)
#include "tst_nvimplugin.moc"
