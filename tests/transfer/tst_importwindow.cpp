// Bringing snippets in from the window: File > Import, and the Load Database
// dialog's offer to make a library of an Access file. Questions answered by script.
#include <QListWidget>
#include <QProgressDialog>
#include <QTreeView>
#include <QtTest>

#include "main/ui/frmsnippary.h"
#include "main/window/windowdriver.h"
#include "platform/folders.h"
#include "platform/scriptedprompts.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "testsupport.h"
#include "transfer/dump.h"
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

// The library as its file holds it, read through a connection of its own.
QByteArray DumpOf(const QString& library) {
    store::ConnectionString cs;
    cs.dataSource = library;
    store::Connection con;
    con.Open(cs.Build());
    return transfer::DumpLibrary(con);
}

const QStringList kPermanent = {"Modules", "Classes", "API Declarations", "Functions", "Snippets"};

}  // namespace

class tst_importwindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        QVERIFY(dir.isValid());
        const QByteArray snippets = "{\"Loop\": {\"body\": [\"For i = 1 To 9\", \"Next\"]}}";
        for (const QString path : {"tree/a.bas", "tree/sub/Form1.frm", "C.cls", "user.code-snippets"})
            QVERIFY(testsupport::WriteAll(dir.filePath(path), path.endsWith("snippets") ? snippets : "Sub A()\r\n"));
        for (int i = 0; i < 640; ++i)
            QVERIFY(testsupport::WriteAll(dir.filePath(QString("big/m%1.bas").arg(i)), "x\r\n"));
        access = dir.filePath("old.mdb");
        QVERIFY(testsupport::WriteAll(
            access, jetfixture::Write(jetfixture::Version::Jet4,
                                      jetfixture::LibraryTables(kPermanent + QStringList{"Mine"},
                                                                {{6, "m", "", QVariant(), "", "x\r\n"}}))));
    }
    // Every case starts from no settings, so a stored "load at start-up" never
    // opens the Load Database dialog as the window comes up.
    void init() { QFile::remove(platform::SettingsFile()); }
    void import_data() {
        QTest::addColumn<QStringList>("files");  // chosen together; none: the folder "tree" then
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("snippets");  // category|name, as the library file holds them
        QTest::newRow("a folder") << QStringList{} << "Added 2 snippets and 1 category."
                                  << QStringList{"Modules|a.bas", "Other|Form1.frm"};
        QTest::newRow("several files") << QStringList{"tree/a.bas", "C.cls", "user.code-snippets"}
                                       << "Added 3 snippets and 1 category."
                                       << QStringList{"Modules|a.bas", "Classes|C.cls", "Other|Loop"};
    }
    // Files or a folder come in through the menu as one import with one summary; the
    // new category is listed and ticked, its snippets shown.
    void import() {
        QFETCH(QStringList, files);
        QFETCH(QString, summary);
        QFETCH(QStringList, snippets);
        const QString lib = dir.filePath(QString("window-%1.snip").arg(files.size()));
        store::CreateLibrary(lib, QString(), false);
        ScriptedPrompts prompts;
        frmSnippary w(prompts);
        windowdriver::Load(&w, prompts, lib);
        for (QString& f : files) f = dir.filePath(f);
        prompts.ExpectOpenFiles(files, "Import files (Cancel to import a folder)");
        if (files.isEmpty()) prompts.ExpectBrowseFolder(dir.filePath("tree"), "Import a folder");
        prompts.ExpectInputBox(QString("Other"), "Category for what is neither a module (.bas) nor a class (.cls):");
        prompts.ExpectMsgBox(summary);
        windowdriver::Trigger(&w, "mnuImport");
        windowdriver::VerifyPrompts(prompts);
        QCOMPARE(Items(windowdriver::Find<QListWidget>(&w, "lstTOC")), kPermanent + QStringList{"Other"});
        QCOMPARE(windowdriver::Find<QTreeView>(&w, "lvTOC")->model()->rowCount(), snippets.size());
        QStringList got;
        for (const QJsonValue& v : QJsonDocument::fromJson(DumpOf(lib)).object().value("snippets").toArray())
            got << v["category"].toString() + '|' + v["name"].toString();
        QCOMPARE(got, snippets);
    }
    // Cancel in the progress dialog of a large import leaves every category and snippet as it was.
    void cancelProgress() {
        const QString lib = dir.filePath("cancel.snip");
        store::CreateLibrary(lib, QString(), true);
        const QByteArray before = DumpOf(lib);
        ScriptedPrompts prompts;
        frmSnippary w(prompts);
        windowdriver::Load(&w, prompts, lib);
        prompts.ExpectOpenFiles({});
        prompts.ExpectBrowseFolder(dir.filePath("big"));
        prompts.ExpectInputBox(QString("Other"));
        prompts.ExpectMsgBox("The import was cancelled; nothing was added.");
        // Heard while the import runs: a slow disk once, so the dialog comes up, then its Cancel clicked.
        QTimer poll;
        bool slowed = false, clicked = false;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* progress = w.findChild<QProgressDialog*>("dlgImportProgress");
            if (progress == nullptr) return;
            if (!std::exchange(slowed, true)) QThread::msleep(600);
            if (progress->isVisible() && !std::exchange(clicked, true))
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        });
        poll.start(1);
        windowdriver::Trigger(&w, "mnuImport");
        QVERIFY(clicked);
        windowdriver::VerifyPrompts(prompts);
        QCOMPARE(DumpOf(lib), before);
    }
    void convertAccess_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("opened");
        QTest::newRow("yes: converted and opened") << int(Prompts::Yes) << true;
        QTest::newRow("no: refused as before") << int(Prompts::No) << false;
    }
    // Ok on an Access file offers a library made from it; the Access file itself is never changed.
    void convertAccess() {
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

private:
    QTemporaryDir dir;
    QString access;
};

QTEST_MAIN(tst_importwindow)
#include "tst_importwindow.moc"
