// The add-in against the host in memory: module names, Insert, the toolbar and
// menu entry through connection and disconnection, the add-in entry at start, and
// what the editor's connection does with messages it cannot read.
#include <QtTest>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "addin/connect.h"
#include "addin/insert.h"
#include "addin/nvimrpc.h"
#include "addin/registration.h"
#include "addin/standinhost.h"
#include "settings/inifile.h"
#include "testsupport.h"

using namespace addin;

namespace {

struct RecordingWindow : AddinWindow {
    VBE* host = nullptr;
    int shown = 0, unloaded = 0;
    bool loaded = false;
    void SetHost(VBE* h) override { loaded = true, host = h; }
    void ShowWithHost(VBE* h) override { loaded = true, host = h, ++shown; }
    void Unload() override { loaded = false, ++unloaded; }
};

}  // namespace

class tst_addin : public QObject {
    Q_OBJECT
private slots:
    void moduleName_data();
    void moduleName();
    void insert_data();
    void insert();
    void sharedToolbarStays();
    void missingMenuTolerated();
    void registration();
    void brokenEditorMessages_data();
    void brokenEditorMessages();
};

void tst_addin::moduleName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bas") << "Sort Tools.bas"
                         << "sorttools";
    QTest::newRow("cls") << "My.Class Two.cls"
                         << "myclasstwo";
    QTest::newRow("inside") << "A.Basic"
                            << "aic";
    QTest::newRow("kept") << "3-Way (new)"
                          << "3-way(new)";
    QTest::newRow("lower bas") << "x.bas.cls"
                               << "x";
}

void tst_addin::moduleName() {
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(GetModuleName(name), expected);
}

void tst_addin::insert_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("rowName");
    QTest::addColumn<bool>("rowSelected");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("paneLines");  // after, cursor on line 2
    QTest::addColumn<QString>("componentName");  // empty: no component
    QTest::addColumn<QStringList>("componentLines");
    QTest::newRow("class") << "Classes"
                           << "clsStack.cls" << true << "" << QStringList{"one", "two"} << "clsstack"
                           << QStringList{"Sub A()", "End Sub"};
    QTest::newRow("no row") << "Classes"
                            << "" << false << "" << QStringList{"one", "two"} << "Class1"
                            << QStringList{"Sub A()", "End Sub"};
    QTest::newRow("other category, whole")
        << "Functions"
        << "f" << true << "" << QStringList{"one", "Sub A()", "End Sub", "two"} << "" << QStringList{};
    QTest::newRow("selection only") << "Snippets"
                                    << "f" << true << "End Sub" << QStringList{"one", "End Sub", "two"} << ""
                                    << QStringList{};
    QTest::newRow("case matters") << "modules"
                                  << "f" << true << "" << QStringList{"one", "Sub A()", "End Sub", "two"} << ""
                                  << QStringList{};
    QTest::newRow("nothing shown yet") << ""
                                       << "" << false << "" << QStringList{"one", "Sub A()", "End Sub", "two"} << ""
                                       << QStringList{};
}

void tst_addin::insert() {
    QFETCH(QString, type);
    QFETCH(QString, rowName);
    QFETCH(bool, rowSelected);
    QFETCH(QString, selected);
    QFETCH(QStringList, paneLines);
    QFETCH(QString, componentName);
    QFETCH(QStringList, componentLines);
    standin::Host host;
    host.pane->module.lines = {"one", "two"};
    host.pane->cursorLine = 2;
    host.pane->cursorColumn = 7;  // the column plays no part
    InsertSnippet(&host, type, rowName, rowSelected, "Sub A()\r\nEnd Sub\r\n", selected);
    QCOMPARE(host.pane->module.lines, paneLines);
    auto& components = host.project->components;
    if (componentName.isEmpty()) {
        QCOMPARE(components.Count(), 0);
    } else {
        QCOMPARE(components.Count(), 1);
        QCOMPARE(components.Item(1)->Name(), componentName);
        QCOMPARE(static_cast<standin::Module*>(components.Item(1)->GetCodeModule())->lines, componentLines);
    }
}

void tst_addin::sharedToolbarStays() {
    standin::Host host;
    auto* other = static_cast<standin::Bar*>(host.Add("VB Velmora", CommandBar::Top));
    other->Add(1)->SetCaption("Another add-in");
    RecordingWindow window;
    Connect c(window);
    c.IDTExtensibility_OnConnection(&host);
    QCOMPARE(host.bars.size(), size_t(2));  // no second toolbar
    QCOMPARE(other->Count(), 2);
    QCOMPARE(other->Item(2)->Caption(), QString("VB Snippary"));
    c.IDTExtensibility_OnDisconnection();
    QVERIFY(host.Find("VB Velmora") != nullptr);
    QCOMPARE(other->Count(), 1);
    QCOMPARE(other->Item(1)->Caption(), QString("Another add-in"));
}

void tst_addin::missingMenuTolerated() {
    standin::Host host;
    host.Find("Add-Ins")->Delete();
    RecordingWindow window;
    Connect c(window);
    c.IDTExtensibility_OnConnection(&host);
    QVERIFY(c.m_cbMenuItem == nullptr);
    QCOMPARE(host.Find("VB Velmora")->Count(), 1);
    c.m_cbButton->Delete();  // removed behind our back
    c.IDTExtensibility_OnDisconnection();
    QVERIFY(host.Find("VB Velmora") == nullptr);
    QCOMPARE(window.unloaded, 1);
}

void tst_addin::registration() {
    QTemporaryDir dir;
    const QString file = dir.filePath("VBADDIN.INI");
    StartUp(file);
    QCOMPARE(testsupport::ReadAll(file), QByteArray("[Add-Ins32]\r\nVBSnippary.Connect=0\r\n"));
    QVERIFY(settings::WritePrivateProfileString("Add-Ins32", "VBSnippary.Connect", "1", file));
    QVERIFY(settings::WritePrivateProfileString("Add-Ins32", "Other.Connect", "1", file));
    StartUp(file);
    QCOMPARE(settings::GetPrivateProfileString("Add-Ins32", "VBSnippary.Connect", "", file), QString("0"));
    QCOMPARE(settings::GetPrivateProfileString("Add-Ins32", "Other.Connect", "", file), QString("1"));
}

void tst_addin::brokenEditorMessages_data() {
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
void tst_addin::brokenEditorMessages() {
    QFETCH(QByteArray, bytes);
    // The editor's side as a file: more than a pipe holds can wait there unread.
    const int fromEditor = memfd_create("editor", 0), toEditor = ::open("/dev/null", O_WRONLY);
    QCOMPARE(write(fromEditor, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    lseek(fromEditor, 0, SEEK_SET);
    nvim::Rpc rpc(fromEditor, toEditor, 2000);
    if (!bytes.isEmpty()) QTest::ignoreMessage(QtWarningMsg, QRegularExpression("broken message from the editor"));
    QVERIFY_THROWS_EXCEPTION(HostError, rpc.Request("nvim_get_current_buf", {}));
    QVERIFY(rpc.Lost());
    QVERIFY(!rpc.Poll());
    QVERIFY_THROWS_EXCEPTION(HostError, rpc.Request("nvim_get_current_buf", {}));
    ::close(fromEditor);
    ::close(toEditor);
}

QTEST_GUILESS_MAIN(tst_addin)
#include "tst_addin.moc"
