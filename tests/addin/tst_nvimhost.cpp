// The add-in against a real headless Neovim over msgpack-RPC.
#include <QtTest>

#include "addin/insert.h"
#include "addin/nvimhost.h"
#include "nvimeditor.h"

using namespace addin;

namespace {

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
};

void tst_nvimhost::insertAtCursor() {
    Editor e;
    nvim::Rpc rpc(e.fromEditor, e.toEditor);
    nvim::Host host(rpc);
    host.Call("nvim_buf_set_lines", {0, 0, -1, false, QVariantList{"one", "two", "three"}});
    host.Call("nvim_win_set_cursor", {0, QVariantList{2, 2}});
    InsertSnippet(&host, "Functions", "f", true, "Sub A()\r\n    MsgBox \"it's\"\r\nEnd Sub\r\n", "");
    QCOMPARE(BufferLines(host), QStringList({"one", "Sub A()", "    MsgBox \"it's\"", "End Sub", "two", "three"}));
}

void tst_nvimhost::newModule() {
    Editor e;
    nvim::Rpc rpc(e.fromEditor, e.toEditor);
    nvim::Host host(rpc);
    InsertSnippet(&host, "Modules", "Sort Tools.bas", true, "Attribute VB_Name = \"x\"\r\nSub S()\r\nEnd Sub\r\n",
                  "Sub");
    QVERIFY(host.Call("nvim_buf_get_name", {0}).toString().endsWith("sorttools.bas"));
    QCOMPARE(BufferLines(host), QStringList({"Attribute VB_Name = \"x\"", "Sub S()", "End Sub"}));
    // A name the host refuses: the buffer keeps its own.
    InsertSnippet(&host, "Classes", "3D shapes.cls", true, "x", "");
    QVERIFY(host.Call("nvim_buf_get_name", {0}).toString().endsWith("Class1.cls"));
}

QTEST_GUILESS_MAIN(tst_nvimhost)
#include "tst_nvimhost.moc"
