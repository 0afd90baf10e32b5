// The export dialog: its controls, the file it settles on, the overwrite
// question and when it closes.
#include <QtTest>

#include "export/ui/frmexport.h"
#include "main/window/windowdriver.h"
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
        // The default folder follows the home folder; keep it inside the test's own.
        qputenv("HOME", home.path().toLocal8Bit());
    }

    // The dialog is hidden, never closed, so a second showing shows the first one's
    // choices; a cancelled picker empties the folder, so the page goes to the default one.
    void reopenKeepsContents() {
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
        prompts.ExpectBrowseFolder(QString());
        dlg.cmdBrowse->click();
        dlg.txtFile->setText(QStringLiteral("kept.html"));
        dlg.chkColors->click();
        dlg.optFel[1]->click();
        QTest::keyClick(dlg.txtFile, Qt::Key_Return);
        dlg.show();
        QCOMPARE(QStringList({dlg.txtFolder->text(), dlg.txtFile->text()}), QStringList({"/srv/pages/", "kept.html"}));
        QVERIFY(dlg.Colors() && dlg.Numbered());
        dlg.cmdBrowse->click();
        QTest::keyClick(dlg.txtFile, Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
        windowdriver::VerifyPrompts(prompts);
        QCOMPARE(written, QStringList({"/srv/pages/kept.html", platform::ExportDefaultFolder() + "/kept.html"}));
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
        if (existing == "dir") QVERIFY(QDir().mkpath(target));
        if (existing == "file") QVERIFY(testsupport::WriteAll(target, "old page"));
        if (existing == "link")
            QVERIFY(testsupport::WriteAll(home.filePath("real.snip"), page + QByteArray(4080, '\0')) &&
                    QFile::link(home.filePath("real.snip"), target));
        const testsupport::TempLibrary library;
        WatchingPrompts prompts;
        snippary::frmSnippary w(prompts);
        prompts.window = &w;
        w.OpenAtStart(library.path);
        auto* dlg = windowdriver::Find<exporting::frmExport>(&w, "frmExport");
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
        windowdriver::Trigger(&w, "mnuExport");
        windowdriver::VerifyPrompts(prompts);
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
