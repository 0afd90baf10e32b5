// Bringing snippets in from the window: File > Import, and the Load Database
// dialog's offer to make a library of an Access file. Questions answered by script.
#include <QListWidget>
#include <QTreeView>
#include <QtTest>

#include "main/ui/frmsnippary.h"
#include "main/window/windowdriver.h"
#include "platform/folders.h"
#include "platform/scriptedprompts.h"
#include "store/library.h"
#include "testsupport.h"
#include "transfer/jetwriter.h"

using platform::Prompts;
using platform::ScriptedPrompts;
using snippary::frmSnippary;

namespace {

QStringList Items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

const QStringList kPermanent = {"Modules", "Classes", "API Declarations", "Functions", "Snippets"};

}  // namespace

class tst_importwindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        QVERIFY(dir.isValid());
        QDir().mkpath(dir.filePath("tree/sub"));
        QVERIFY(testsupport::WriteAll(dir.filePath("tree/a.bas"), "Sub A()\r\n"));
        QVERIFY(testsupport::WriteAll(dir.filePath("tree/sub/Form1.frm"), "Begin\r\n"));
        access = dir.filePath("old.mdb");
        QVERIFY(testsupport::WriteAll(
            access, jetfixture::Write(jetfixture::Version::Jet4,
                                      jetfixture::LibraryTables(kPermanent + QStringList{"Mine"},
                                                                {{6, "m", "", QVariant(), "", "x\r\n"}}))));
    }
    // Every case starts from no settings, so a stored "load at start-up" never
    // opens the Load Database dialog as the window comes up.
    void init() { QFile::remove(platform::SettingsFile()); }
    void importFolder();
    void convertAccess_data();
    void convertAccess();

private:
    QTemporaryDir dir;
    QString access;
};

// A folder comes in through the menu; the new category is listed and ticked, its snippets shown.
void tst_importwindow::importFolder() {
    const QString lib = dir.filePath("window.snip");
    store::CreateLibrary(lib, QString(), false);
    ScriptedPrompts prompts;
    frmSnippary w(prompts);
    windowdriver::Load(&w, prompts, lib);
    prompts.ExpectOpenFile(QString());  // no file: a folder then
    prompts.ExpectBrowseFolder(dir.filePath("tree"));
    prompts.ExpectInputBox(QString("Forms"));
    prompts.ExpectMsgBox("Added 2 snippets and 1 category.");
    windowdriver::Trigger(&w, "mnuImport");
    windowdriver::VerifyPrompts(prompts);
    QCOMPARE(Items(windowdriver::Find<QListWidget>(&w, "lstTOC")), kPermanent + QStringList{"Forms"});
    QCOMPARE(windowdriver::Find<QTreeView>(&w, "lvTOC")->model()->rowCount(), 2);
}

void tst_importwindow::convertAccess_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("opened");
    QTest::newRow("yes: converted and opened") << int(Prompts::Yes) << true;
    QTest::newRow("no: refused as before") << int(Prompts::No) << false;
}

// Ok on an Access file offers a library made from it; the Access file itself is never changed.
void tst_importwindow::convertAccess() {
    QFETCH(int, answer);
    QFETCH(bool, opened);
    const QByteArray before = testsupport::ReadAll(access);
    const QString made = dir.filePath(QString("made%1.snip").arg(answer));
    ScriptedPrompts prompts;
    frmSnippary w(prompts);
    windowdriver::AnswerLoadDB(prompts, access);
    prompts.ExpectMsgBox("This is an Access library. Make a snippet library from it?", Prompts::Answer(answer));
    if (opened) {
        prompts.ExpectSaveFile(made);
        prompts.ExpectMsgBox("Added 1 snippet and 1 category.");
    } else {
        prompts.ExpectMsgBoxContaining("# ");  // the store's own refusal of a file it cannot open
    }
    windowdriver::Trigger(&w, "mnuLoad");
    windowdriver::VerifyPrompts(prompts);
    QCOMPARE(w.con.State(), opened ? store::adStateOpen : store::adStateClosed);
    QCOMPARE(Items(windowdriver::Find<QListWidget>(&w, "lstTOC")),
             opened ? kPermanent + QStringList{"Mine"} : QStringList{});
    QCOMPARE(w.sDb, opened ? made : access);
    QCOMPARE(testsupport::ReadAll(access), before);
}

QTEST_MAIN(tst_importwindow)
#include "tst_importwindow.moc"
