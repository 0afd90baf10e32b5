// The export dialog: its controls, the file it settles on, the overwrite
// question and when it closes.
#include <QtTest>
#include <QtWidgets>

#include "export/ui/frmexport.h"
#include "main/ui/frmsnippary.h"
#include "platform/folders.h"
#include "platform/scriptedprompts.h"
#include "store/library.h"
#include "testsupport.h"

using platform::Prompts;
using platform::ScriptedPrompts;

namespace {

// Notes, with every message, how many progress boxes were still there to cover it.
class WatchingPrompts : public ScriptedPrompts {
public:
    QWidget* window = nullptr;
    QList<qsizetype> progressBoxes;
    Answer MsgBox(const QString& text, Buttons buttons, Icon icon, const QString& title) override {
        progressBoxes << window->findChildren<QProgressDialog*>().size();
        return ScriptedPrompts::MsgBox(text, buttons, icon, title);
    }
};

}  // namespace

class tst_frmexport : public QObject {
    Q_OBJECT

    QTemporaryDir home;

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        QVERIFY(home.isValid());
        // The default folder follows the home folder; keep it inside the test's own.
        qputenv("HOME", home.path().toLocal8Bit());
        QVERIFY2(platform::ExportDefaultFolder().startsWith(home.path()), qPrintable(platform::ExportDefaultFolder()));
    }

    // The dialog is hidden, never closed, so a second showing shows the first one's
    // choices; a cancelled picker empties the folder, so the page goes to the default one.
    void reopenKeepsContents_data() {
        QTest::addColumn<int>("key");  // closing by Cancel (0), Escape or Return
        QTest::addColumn<bool>("pickerCancelled");
        QTest::newRow("cancel") << 0 << false;
        QTest::newRow("escape") << int(Qt::Key_Escape) << false;
        QTest::newRow("ok") << int(Qt::Key_Return) << false;
        QTest::newRow("ok, picker cancelled") << int(Qt::Key_Return) << true;
    }
    void reopenKeepsContents() {
        QFETCH(int, key);
        QFETCH(bool, pickerCancelled);
        ScriptedPrompts prompts;
        QWidget owner;
        exporting::frmExport dlg(prompts, &owner);
        QStringList written;  // by a stand-in for the page writer
        dlg.exportPage = [&] {
            written << dlg.file;
            return true;
        };
        owner.show();
        dlg.show();
        prompts.ExpectBrowseFolder(QStringLiteral("/srv/pages"), QStringLiteral("Choose a directory from the list."));
        if (pickerCancelled) prompts.ExpectBrowseFolder(QString());
        for (int i = 0; i < 1 + pickerCancelled; ++i) dlg.cmdBrowse->click();
        const QString folder = pickerCancelled ? QString() : QStringLiteral("/srv/pages/");
        QCOMPARE(dlg.txtFolder->text(), folder);
        dlg.txtFile->setText(QStringLiteral("kept.html"));
        dlg.chkColors->click();
        dlg.optFel[1]->click();
        if (key == 0)
            dlg.cmdCancel->click();
        else
            QTest::keyClick(dlg.txtFile, Qt::Key(key));
        QVERIFY(!dlg.isVisible());
        QVERIFY(prompts.AllConsumed());
        const QString file = (pickerCancelled ? platform::ExportDefaultFolder() + "/" : folder) + "kept.html";
        QCOMPARE(written, key == Qt::Key_Return ? QStringList{file} : QStringList());
        dlg.show();
        QCOMPARE(QStringList({dlg.txtFolder->text(), dlg.txtFile->text()}), QStringList({folder, "kept.html"}));
        QVERIFY(dlg.Colors() && dlg.Numbered());
    }

    // File > Export as HTML on a real library into the default folder, as a user types it.
    // What is at the target decides whether the user is asked (naming the full path); a
    // library is refused, never offered for overwriting; a failure is reported with no
    // progress box left to cover it. Either way but a written page, the dialog stays.
    void exportFromTheWindow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("overwrite");     // the answer to the question; 0: not asked
        QTest::addColumn<QString>("existing");  // none (not even the folder), file, dir, link (to a library)
        QTest::addColumn<QByteArray>("page");   // what is left at Documents/<name>
        QTest::addColumn<QString>("message");   // title: text
        const QByteArray written("\xEF\xBB\xBF<HTML>"), missing("<missing>"), library("SQLite format 3\0", 16);
        const QString docs = home.filePath("Documents/");
        const QString refusal =
            " is a snippet library!\r\nA page is never written over a library: choose another file name.";
        QTest::newRow("no documents folder, no extension") << "lib" << 0 << "none" << written << "";
        QTest::newRow("hidden page, overwrite: yes") << ".lib.html" << int(Prompts::Yes) << "file" << written << "";
        QTest::newRow("overwrite: no") << "lib.html" << int(Prompts::No) << "file" << QByteArray("old page") << "";
        QTest::newRow("folder of that name")
            << "pages.html" << 0 << "dir" << missing
            << "VBSnippary: 75 # Path/File access error: " + docs + "pages.html is a folder, not a file.";
        QTest::newRow("link to a library")
            << "lib.html" << 0 << "link" << library << "Attention: File " + docs + "lib.html" + refusal;
        QTest::newRow("no name") << "" << 0 << "none" << missing << "Error: File name can't be empty!";
        QTest::newRow("no such subfolder") << "no/such/lib.html" << 0 << "none" << missing
                                           << "VBSnippary: 76 # Path not found: '" + docs + "no/such'.";
    }
    void exportFromTheWindow() {
        QFETCH(QString, name);
        QFETCH(int, overwrite);
        QFETCH(QString, existing);
        QFETCH(QString, message);
        QFETCH(QByteArray, page);
        const QString target = home.filePath("Documents/") + name;
        QVERIFY(QDir(home.filePath("Documents")).removeRecursively());
        if (existing != "none") QVERIFY(QDir().mkpath(home.filePath("Documents")));
        const QByteArray header = QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0');
        if (existing == "dir") QVERIFY(QDir().mkpath(target));
        if (existing == "file") QVERIFY(testsupport::WriteAll(target, "old page"));
        if (existing == "link") QVERIFY(testsupport::WriteAll(home.filePath("real.snip"), header));
        if (existing == "link") QVERIFY(QFile::link(home.filePath("real.snip"), target));
        QTemporaryDir dir;
        const QString library = dir.filePath("lib.snip");
        store::CreateLibrary(library, QString(), true);
        WatchingPrompts prompts;
        snippary::frmSnippary w(prompts);
        prompts.window = &w;
        w.OpenAtStart(library);
        auto* dlg = w.findChild<exporting::frmExport*>("frmExport");
        QVERIFY(dlg != nullptr);
        const QString question = "File " + target + " already exist !\r\nDo you want to overwrite it?";
        if (overwrite) prompts.ExpectMsgBox(question, Prompts::Answer(overwrite));
        if (!message.isEmpty()) prompts.ExpectMsgBox(message.section(": ", 1, -1));
        bool stayedOpen = false;
        QTimer::singleShot(0, dlg, [&] {
            QTest::keyClicks(dlg->txtFile, name);
            QTest::keyClick(dlg->txtFile, Qt::Key_Return);  // Ok is the default button
            stayedOpen = dlg->isVisible();
            if (stayedOpen) QTest::mouseClick(dlg->cmdCancel, Qt::LeftButton);
        });
        w.findChild<QAction*>("mnuExport")->trigger();
        QVERIFY2(prompts.Unexpected().isEmpty(), qPrintable(prompts.Unexpected().join('\n')));
        QVERIFY(prompts.AllConsumed());
        if (overwrite) QCOMPARE(prompts.History().first().title, QStringLiteral("Attention"));
        if (!message.isEmpty()) {
            QCOMPARE(prompts.History().last().title + ": " + prompts.History().last().text, message);
            QCOMPARE(prompts.History().last().buttons, Prompts::OkOnly);
            QCOMPARE(prompts.progressBoxes.last(), 0);
        }
        QCOMPARE(stayedOpen, !message.isEmpty() || overwrite == Prompts::No);
        QVERIFY(testsupport::ReadAll(target).startsWith(page));
    }
};

QTEST_MAIN(tst_frmexport)
#include "tst_frmexport.moc"
