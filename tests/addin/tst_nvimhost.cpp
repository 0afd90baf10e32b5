// The add-in against a real headless Neovim over msgpack-RPC.
#include <QtTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "addin/connect.h"
#include "addin/insert.h"
#include "addin/nvimhost.h"
#include "nvimeditor.h"

using namespace addin;

namespace {

struct Window : AddinWindow {
    int shown = 0, unloaded = 0;
    VBE* host = nullptr;
    void SetHost(VBE* h) override { host = h; }
    void ShowWithHost(VBE* h) override { host = h, ++shown; }
    void Unload() override { ++unloaded; }
};

QStringList BufferLines(nvim::Host& host) {
    QStringList out;
    for (const QVariant& v : host.Call("nvim_buf_get_lines", {0, 0, -1, false}).toList()) out << v.toString();
    return out;
}

}  // namespace

class tst_nvimhost : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("nvim").isEmpty()) QSKIP("nvim is not installed");
    }
    void insertAtCursor();
    void newModule();
    void menuAndClick();
    void lostEditor();
};

void tst_nvimhost::insertAtCursor() {
    Editor e;
    nvim::Rpc rpc(e.fromEditor, e.toEditor);
    nvim::Host host(rpc);
    host.Call("nvim_buf_set_lines", {0, 0, -1, false, QVariantList{"one", "two", "three"}});
    host.Call("nvim_win_set_cursor", {0, QVariantList{2, 2}});
    InsertSnippet(&host, "Functions", "f", true, "Sub A()\r\n    MsgBox \"it's\"\r\nEnd Sub\r\n", "");
    QCOMPARE(BufferLines(host), QStringList({"one", "Sub A()", "    MsgBox \"it's\"", "End Sub", "two", "three"}));
    // The cursor moved down with its line; put it back on line 2.
    host.Call("nvim_win_set_cursor", {0, QVariantList{2, 0}});
    InsertSnippet(&host, "Snippets", "f", true, "ignored", "Dim x");
    QCOMPARE(BufferLines(host).at(1), QString("Dim x"));
}

void tst_nvimhost::newModule() {
    Editor e;
    nvim::Rpc rpc(e.fromEditor, e.toEditor);
    nvim::Host host(rpc);
    InsertSnippet(&host, "Modules", "Sort Tools.bas", true, "Attribute VB_Name = \"x\"\r\nSub S()\r\nEnd Sub\r\n", "Sub");
    QVERIFY(host.Call("nvim_buf_get_name", {0}).toString().endsWith("sorttools.bas"));
    QCOMPARE(BufferLines(host), QStringList({"Attribute VB_Name = \"x\"", "Sub S()", "End Sub"}));
    // A name the host refuses: the buffer keeps its own.
    InsertSnippet(&host, "Classes", "3D shapes.cls", true, "x", "");
    QVERIFY(host.Call("nvim_buf_get_name", {0}).toString().endsWith("Class1.cls"));
}

void tst_nvimhost::menuAndClick() {
    Editor e;
    nvim::Rpc rpc(e.fromEditor, e.toEditor);
    nvim::Host host(rpc);
    Window window;
    Connect c(window);
    try {
        c.IDTExtensibility_OnConnection(&host);
    } catch (const HostError& e) {
        QFAIL(qPrintable(e.Description()));
    }
    QCOMPARE(MenuEntries(host, "Add-Ins"), QStringList{"Snippary"});
    QCOMPARE(MenuEntries(host, "VB Velmora"), QStringList{"VB Snippary"});
    host.Command("emenu Add-Ins.Snippary");
    QTRY_VERIFY_WITH_TIMEOUT((host.Dispatch(), window.shown == 1), 5000);
    host.Command("emenu VB\\ Velmora.VB\\ Snippary");
    QTRY_VERIFY_WITH_TIMEOUT((host.Dispatch(), window.shown == 2), 5000);
    c.IDTExtensibility_OnDisconnection();
    QVERIFY(MenuEntries(host, "Add-Ins").isEmpty());
    QVERIFY(MenuEntries(host, "VB Velmora").isEmpty());
    QCOMPARE(window.unloaded, 1);
}

void tst_nvimhost::lostEditor() {
    auto e = std::make_unique<Editor>();
    nvim::Rpc rpc(e->fromEditor, e->toEditor, 2000);
    nvim::Host host(rpc);
    kill(e->pid, SIGKILL);
    waitpid(e->pid, nullptr, 0);
    e->pid = -1;
    signal(SIGPIPE, SIG_IGN);
    QVERIFY_THROWS_EXCEPTION(HostError, host.Call("nvim_get_current_buf", {}));
    InsertSnippet(&host, "Functions", "f", true, "x", "");  // skipped quietly
    QVERIFY(!host.Dispatch());
}

QTEST_GUILESS_MAIN(tst_nvimhost)
#include "tst_nvimhost.moc"
