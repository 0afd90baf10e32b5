// The export dialog: its controls, the file it settles on, the overwrite
// question and when it closes.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

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

// The dialog with its owner and a counting stand-in for the page writer.
struct Harness {
    ScriptedPrompts prompts;
    QWidget owner;
    exporting::frmExport dlg{prompts, &owner};
    int exports = 0;
    QString fileSeen;

    Harness() {
        dlg.exportPage = [this] {
            ++exports;
            fileSeen = dlg.file;
            return true;
        };
        owner.resize(800, 600);
        owner.show();
        dlg.show();
    }
};

QString OverwriteQuestion(const QString& file) {
    return QStringLiteral("File ") + file + QStringLiteral(" already exist !\r\nDo you want to overwrite it?");
}

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

    // What is already at the target decides whether the user is asked; the
    // picked folder and the name are joined by the picker's separator alone.
    void existingTarget_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("existing");  // none, file, dir, library, link (to a library)
        QTest::addColumn<bool>("asked");
        QTest::newRow("new page") << "new.html"
                                  << "none" << false;
        QTest::newRow("hidden page") << ".lib.html"
                                     << "file" << true;
        QTest::newRow("folder of that name") << "pages.html"
                                             << "dir" << false;
        // The name is used as typed: no extension is added.
        QTest::newRow("no extension") << "lib"
                                      << "none" << false;
        // A library is refused, not offered for overwriting.
        QTest::newRow("library") << "lib.snip"
                                 << "library" << false;
        QTest::newRow("link to a library") << "lib.html"
                                           << "link" << false;
    }
    void existingTarget() {
        QFETCH(QString, name);
        QFETCH(QString, existing);
        QFETCH(bool, asked);
        QTemporaryDir dir;
        const QString target = dir.path() + QLatin1Char('/') + name;
        const bool library = existing == QLatin1String("library") || existing == QLatin1String("link");
        const QByteArray old = library ? QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0') : "old page";
        if (existing == QLatin1String("dir")) QVERIFY(QDir().mkpath(target));
        if (existing == QLatin1String("link")) QVERIFY(QFile::link(dir.filePath("real.snip"), target));
        if (existing != QLatin1String("none") && existing != QLatin1String("dir"))
            QVERIFY(testsupport::WriteAll(existing == QLatin1String("link") ? dir.filePath("real.snip") : target, old));
        Harness h;
        h.prompts.ExpectBrowseFolder(dir.path());
        h.dlg.cmdBrowse->click();
        h.dlg.txtFile->setText(name);
        if (asked) h.prompts.ExpectMsgBox(OverwriteQuestion(target), Prompts::Yes);
        if (library)
            h.prompts.ExpectMsgBox(QStringLiteral("File ") + target +
                                   QStringLiteral(" is a snippet library!\r\n"
                                                  "A page is never written over a library: choose another file name."));
        h.dlg.cmdOk->click();
        QVERIFY2(h.prompts.Unexpected().isEmpty(), qPrintable(h.prompts.Unexpected().join('\n')));
        QVERIFY(h.prompts.AllConsumed());
        QCOMPARE(h.fileSeen, library ? QString() : target);
        QCOMPARE(h.exports, library ? 0 : 1);
        QCOMPARE(h.dlg.isVisible(), library);
        if (library) QCOMPARE(testsupport::ReadAll(target), old);
    }

    void cancelledPickerEmptiesFolder() {
        Harness h;
        h.prompts.ExpectBrowseFolder(QStringLiteral("/srv/pages"), QStringLiteral("Choose a directory from the list."));
        h.dlg.cmdBrowse->click();
        QCOMPARE(h.dlg.txtFolder->text(), QStringLiteral("/srv/pages/"));
        h.prompts.ExpectBrowseFolder(QString());
        h.dlg.cmdBrowse->click();
        QVERIFY(h.dlg.txtFolder->text().isEmpty());
        QVERIFY(h.prompts.AllConsumed());
        // So the next page goes to the default folder.
        h.dlg.txtFile->setText(QStringLiteral("after-cancel.html"));
        h.dlg.cmdOk->click();
        QCOMPARE(h.dlg.file, platform::ExportDefaultFolder() + QStringLiteral("/after-cancel.html"));
    }

    // The dialog is hidden, never closed, so a second showing shows the first one's choices.
    void reopenKeepsContents_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("escape") << "escape";
        QTest::newRow("ok") << "ok";
    }
    void reopenKeepsContents() {
        QFETCH(QString, how);
        Harness h;
        h.prompts.ExpectBrowseFolder(QStringLiteral("/srv/pages"));
        h.dlg.cmdBrowse->click();
        h.dlg.txtFile->setText(QStringLiteral("kept.html"));
        h.dlg.chkColors->click();
        h.dlg.optFel[1]->click();
        if (how == QLatin1String("cancel"))
            h.dlg.cmdCancel->click();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(h.dlg.txtFile, Qt::Key_Escape);
        else
            h.dlg.cmdOk->click();
        QVERIFY(!h.dlg.isVisible());
        QCOMPARE(h.exports, how == QLatin1String("ok") ? 1 : 0);
        h.dlg.show();
        QCOMPARE(h.dlg.txtFile->text(), QStringLiteral("kept.html"));
        QCOMPARE(h.dlg.txtFolder->text(), QStringLiteral("/srv/pages/"));
        QVERIFY(h.dlg.Colors());
        QVERIFY(h.dlg.Numbered());
    }

    // File > Export as HTML on a real library, typed and clicked as a user would. An
    // export aimed nowhere needs no documents folder, and the overwrite question names
    // the full path; a page that cannot be written is reported with no progress box
    // left to cover the message. Either way but a written page, the dialog stays.
    void exportFromTheWindow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("overwrite");    // the answer to the question; 0: not asked
        QTest::addColumn<QString>("message");  // title: text
        QTest::addColumn<QByteArray>("page");  // what is left at Documents/<name>
        QTest::newRow("no documents folder") << "lib.html" << 0 << "" << QByteArray("\xEF\xBB\xBF<HTML>");
        QTest::newRow("overwrite: yes") << "lib.html" << int(Prompts::Yes) << "" << QByteArray("\xEF\xBB\xBF<HTML>");
        QTest::newRow("overwrite: no") << "lib.html" << int(Prompts::No) << "" << QByteArray("old page");
        QTest::newRow("no name") << "" << 0 << "Error: File name can't be empty!" << QByteArray("<missing>");
        QTest::newRow("no such subfolder")
            << "no/such/lib.html" << 0
            << "VBSnippary: 76 # Path not found: '" + home.filePath("Documents/no/such") + "'."
            << QByteArray("<missing>");
    }
    void exportFromTheWindow() {
        QFETCH(QString, name);
        QFETCH(int, overwrite);
        QFETCH(QString, message);
        QFETCH(QByteArray, page);
        const QString target = home.filePath("Documents/") + name;
        QVERIFY(QDir(home.filePath("Documents")).removeRecursively());
        if (overwrite) QVERIFY(QDir().mkpath(home.filePath("Documents")) && testsupport::WriteAll(target, "old page"));
        QTemporaryDir dir;
        const QString library = dir.filePath("lib.snip");
        store::CreateLibrary(library, QString(), true);
        WatchingPrompts prompts;
        snippary::frmSnippary w(prompts);
        prompts.window = &w;
        w.OpenAtStart(library);
        auto* dlg = w.findChild<exporting::frmExport*>("frmExport");
        QVERIFY(dlg != nullptr);
        if (overwrite) prompts.ExpectMsgBox(OverwriteQuestion(target), Prompts::Answer(overwrite));
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
