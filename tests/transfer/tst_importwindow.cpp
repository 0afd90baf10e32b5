// Bringing snippets in from the window: File > Import, and the Load Database
// dialog's offer to make a library of an Access file. Questions answered by script.
#include <QListWidget>
#include <QProgressDialog>
#include <QTreeView>
#include <QtTest>

#include "main/ui/frmsnippary.h"
#include "main/window/windowdriver.h"
#include "platform/scriptedprompts.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "testsupport.h"
#include "transfer/jetwriter.h"

using platform::Prompts;
using windowdriver::Texts;
using windowdriver::Trigger;

namespace {

const QStringList kPermanent = {"Modules", "Classes", "API Declarations", "Functions", "Snippets"};

}  // namespace

class tst_importwindow : public windowdriver::Fixture {
    Q_OBJECT
    QString access;

    // A new library, open in a fresh window.
    QString Opened(const QString& name, bool samples = false) {
        const QString lib = dir.filePath(name);
        store::CreateLibrary(lib, QString(), samples);
        Start();
        Load(lib);
        return lib;
    }

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
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
    void import_data() {
        QTest::addColumn<QStringList>("files");  // chosen together; none: the folder "tree" then
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("snippets");  // as the window lists them
        QTest::newRow("a folder") << QStringList{} << "Added 2 snippets and 1 category."
                                  << QStringList{"a.bas", "Form1.frm"};
        QTest::newRow("several files") << QStringList{"tree/a.bas", "C.cls", "user.code-snippets"}
                                       << "Added 3 snippets and 1 category." << QStringList{"a.bas", "C.cls", "Loop"};
    }
    // Files or a folder come in through the menu as one import with one summary; the
    // new category is listed and ticked, its snippets shown.
    void import() {
        QFETCH(QStringList, files);
        QFETCH(QString, summary);
        QFETCH(QStringList, snippets);
        Opened(QString("window-%1.snip").arg(files.size()));
        for (QString& f : files) f = dir.filePath(f);
        prompts->ExpectOpenFiles(files, "Import files (Cancel to import a folder)");
        if (files.isEmpty()) prompts->ExpectBrowseFolder(dir.filePath("tree"), "Import a folder");
        prompts->ExpectInputBox(QString("Other"), "Category for what is neither a module (.bas) nor a class (.cls):");
        prompts->ExpectMsgBox(summary);
        Trigger(w.get(), "mnuImport");
        Verify();
        QCOMPARE(Texts(lstTOC()->model()), kPermanent + QStringList{"Other"});
        QCOMPARE(Texts(lvTOC()->model()), snippets);
    }
    // Cancel in the progress dialog of a large import leaves every category and snippet as it was.
    void cancelProgress() {
        const QString lib = Opened("cancel.snip", true);
        const QString all = "SELECT TypeName FROM Types UNION ALL SELECT Name || Content FROM Code";
        const QStringList before = windowdriver::Stored(lib, all);
        prompts->ExpectOpenFiles({});
        prompts->ExpectBrowseFolder(dir.filePath("big"));
        prompts->ExpectInputBox(QString("Other"));
        prompts->ExpectMsgBox("The import was cancelled; nothing was added.");
        // Heard while the import runs: a slow disk once, so the dialog comes up, then its Cancel clicked.
        QTimer poll;
        bool slowed = false, clicked = false;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* progress = w->findChild<QProgressDialog*>("dlgImportProgress");
            if (progress == nullptr) return;
            if (!std::exchange(slowed, true)) QThread::msleep(600);
            if (progress->isVisible() && !std::exchange(clicked, true))
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        });
        poll.start(1);
        Trigger(w.get(), "mnuImport");
        Verify();
        QCOMPARE(windowdriver::Stored(lib, all), before);
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
        Start();
        windowdriver::AnswerLoadDB(*prompts, access);
        prompts->ExpectMsgBox("This is an Access library. Make a snippet library from it?", Prompts::Answer(answer));
        if (opened) {
            prompts->ExpectSaveFile(made);
            prompts->ExpectMsgBox("Added 1 snippet and 1 category.");
        } else {
            prompts->ExpectMsgBoxContaining("# ");  // the store's own refusal of a file it cannot open
        }
        Trigger(w.get(), "mnuLoad");
        Verify();
        QCOMPARE(Texts(lstTOC()->model()), opened ? kPermanent + QStringList{"Mine"} : QStringList{});
        QCOMPARE(w->sDb, opened ? made : access);
        QCOMPARE(testsupport::ReadAll(access), before);
    }
};

QTEST_MAIN(tst_importwindow)
#include "tst_importwindow.moc"
