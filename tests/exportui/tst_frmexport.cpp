// The export dialog: its controls, the file it settles on, the overwrite
// question and when it closes.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "export/ui/frmexport.h"
#include "main/ui/frmsnippary.h"
#include "platform/folders.h"
#include "platform/scriptedprompts.h"
#include "platform/twips.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "store/statements.h"
#include "store/store.h"
#include "store/ui/frmloaddb.h"
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

// The designed boxes of neighbouring captions touch by a pixel here and there.
QRect Inner(const QWidget* w) { return w->geometry().marginsRemoved(QMargins(1, 1, 1, 1)); }

}  // namespace

class TestFrmExport : public QObject {
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

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Label1") << "Label1" << "&File name:";
        QTest::newRow("txtFile") << "txtFile" << "";
        QTest::newRow("Label2") << "Label2" << "F&older:";
        QTest::newRow("txtFolder") << "txtFolder" << "";
        QTest::newRow("cmdBrowse") << "cmdBrowse" << "...";
        QTest::newRow("cmdOk") << "cmdOk" << "&Ok";
        QTest::newRow("cmdCancel") << "cmdCancel" << "&Cancel";
        QTest::newRow("chkColors") << "chkColors" << "&Use VB standard colors";
        QTest::newRow("optFel0") << "optFel0" << "Simple list";
        QTest::newRow("optFel1") << "optFel1" << "Numbered list";
        QTest::newRow("Label3") << "Label3" << "(leave empty for App.path)";
    }
    void controls() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Harness h;
        auto* w = h.dlg.findChild<QWidget*>(name);
        QVERIFY2(w != nullptr, qPrintable(name));
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(w)) text = edit->text();
        QCOMPARE(text, caption);
        // No caption is cut off, and none covers another control.
        if (qobject_cast<QPushButton*>(w) == nullptr && qobject_cast<QLineEdit*>(w) == nullptr) {
            if (w->hasHeightForWidth()) QVERIFY(w->heightForWidth(w->width()) <= w->height());
            else QVERIFY(w->width() >= w->sizeHint().width());
        }
        QVERIFY(h.dlg.rect().contains(w->geometry()));
        for (QWidget* other : h.dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other != w) QVERIFY2(!Inner(other).intersects(Inner(w)), qPrintable(other->objectName()));
    }

    void window() {
        Harness h;
        QCOMPARE(h.dlg.windowTitle(), QStringLiteral("Export as HTML"));
        QCOMPARE(h.dlg.size(), QSize(platform::TwipsToPx(8790), platform::TwipsToPx(2775)));
        QCOMPARE(h.dlg.minimumSize(), h.dlg.maximumSize());
        QVERIFY(!(h.dlg.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QVERIFY(h.dlg.cmdOk->isDefault());
        QVERIFY(h.dlg.txtFolder->isReadOnly());
        QCOMPARE(h.dlg.Label1->buddy(), h.dlg.txtFile);
        QCOMPARE(h.dlg.Label2->buddy(), h.dlg.txtFolder);
        // The first use: colours off, the simple list.
        QVERIFY(!h.dlg.Colors());
        QVERIFY(!h.dlg.Numbered());
    }

    void tabOrder() {
        Harness h;
        QStringList order;
        QWidget* w = h.dlg.txtFile;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&h.dlg)) order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != h.dlg.txtFile && order.size() < 20);
        QCOMPARE(order, QStringList({"txtFile", "txtFolder", "cmdBrowse", "cmdOk", "cmdCancel", "chkColors",
                                     "optFel0", "optFel1"}));
    }

    void emptyName() {
        Harness h;
        h.prompts.ExpectMsgBox(QStringLiteral("File name can't be empty!"));
        h.dlg.cmdOk->click();
        QVERIFY2(h.prompts.Unexpected().isEmpty(), qPrintable(h.prompts.Unexpected().join('\n')));
        QVERIFY(h.prompts.AllConsumed());
        QCOMPARE(h.prompts.History().size(), 1);
        QCOMPARE(h.prompts.History().first().title, QStringLiteral("Error"));
        QCOMPARE(h.prompts.History().first().buttons, Prompts::OkOnly);
        QCOMPARE(h.exports, 0);
        QVERIFY(h.dlg.file.isEmpty());
        QVERIFY(h.dlg.isVisible());
    }

    // What is already at the target decides whether the user is asked; the
    // picked folder and the name are joined by the picker's separator alone.
    void existingTarget_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("existing");  // none, file, dir
        QTest::addColumn<bool>("asked");
        QTest::newRow("new page") << "new.html" << "none" << false;
        QTest::newRow("existing page") << "lib.html" << "file" << true;
        QTest::newRow("hidden page") << ".lib.html" << "file" << true;
        QTest::newRow("folder of that name") << "pages.html" << "dir" << false;
        // The name is used as typed: no extension is added.
        QTest::newRow("no extension") << "lib" << "none" << false;
    }
    void existingTarget() {
        QFETCH(QString, name);
        QFETCH(QString, existing);
        QFETCH(bool, asked);
        QTemporaryDir dir;
        const QString target = dir.path() + QLatin1Char('/') + name;
        if (existing == QLatin1String("file")) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old page");
        } else if (existing == QLatin1String("dir")) {
            QVERIFY(QDir().mkpath(target));
        }
        Harness h;
        h.prompts.ExpectBrowseFolder(dir.path());
        h.dlg.cmdBrowse->click();
        h.dlg.txtFile->setText(name);
        if (asked) h.prompts.ExpectMsgBox(OverwriteQuestion(target), Prompts::Yes);
        h.dlg.cmdOk->click();
        QVERIFY2(h.prompts.Unexpected().isEmpty(), qPrintable(h.prompts.Unexpected().join('\n')));
        QVERIFY(h.prompts.AllConsumed());
        QCOMPARE(h.fileSeen, target);
        QCOMPARE(h.exports, 1);
    }

    // lib.html with no folder chosen goes to the default folder, and the question names it in full.
    void overwriteAnswer_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("exports");
        QTest::newRow("no") << int(Prompts::No) << 0;
        QTest::newRow("yes") << int(Prompts::Yes) << 1;
    }
    void overwriteAnswer() {
        QFETCH(int, answer);
        QFETCH(int, exports);
        const QString target = platform::ExportDefaultFolder() + QStringLiteral("/lib.html");
        QVERIFY(QDir().mkpath(platform::ExportDefaultFolder()));
        {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("old page");
        }
        Harness h;
        h.dlg.txtFile->setText(QStringLiteral("lib.html"));
        h.prompts.ExpectMsgBox(OverwriteQuestion(target), Prompts::Answer(answer));
        h.dlg.cmdOk->click();
        QVERIFY2(h.prompts.Unexpected().isEmpty(), qPrintable(h.prompts.Unexpected().join('\n')));
        QVERIFY(h.prompts.AllConsumed());
        QCOMPARE(h.prompts.History().first().title, QStringLiteral("Attention"));
        QCOMPARE(h.prompts.History().first().buttons, Prompts::YesNo);
        QCOMPARE(h.dlg.file, target);
        QCOMPARE(h.exports, exports);
        QCOMPARE(h.dlg.isVisible(), exports == 0);
        QCOMPARE(h.dlg.txtFile->text(), QStringLiteral("lib.html"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old page"));
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
        if (how == QLatin1String("cancel")) h.dlg.cmdCancel->click();
        else if (how == QLatin1String("escape")) QTest::keyClick(h.dlg.txtFile, Qt::Key_Escape);
        else h.dlg.cmdOk->click();
        QVERIFY(!h.dlg.isVisible());
        QCOMPARE(h.exports, how == QLatin1String("ok") ? 1 : 0);
        h.dlg.show();
        QCOMPARE(h.dlg.txtFile->text(), QStringLiteral("kept.html"));
        QCOMPARE(h.dlg.txtFolder->text(), QStringLiteral("/srv/pages/"));
        QVERIFY(h.dlg.Colors());
        QVERIFY(h.dlg.Numbered());
    }

    // File > Export as HTML on a real library, typed and clicked as a user would. An
    // export aimed nowhere needs no documents folder; a page that cannot be written is
    // reported with no progress box left to cover the message, and the dialog stays.
    void exportFromTheWindow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");  // where the page lands, under the home folder
        QTest::addColumn<QString>("message");
        QTest::newRow("no documents folder") << "lib.html" << "Documents/lib.html" << "";
        QTest::newRow("no such subfolder") << "no/such/lib.html" << "" << "76 # Path not found";
    }
    void exportFromTheWindow() {
        QFETCH(QString, name);
        QFETCH(QString, written);
        QFETCH(QString, message);
        QVERIFY(QDir(home.filePath("Documents")).removeRecursively());
        QTemporaryDir dir;
        const QString library = dir.filePath("lib.snip");
        store::CreateLibrary(library, QString(), false);
        {
            store::ConnectionString cs;
            cs.dataSource = library;
            store::Connection con;
            con.Open(cs.Build());
            con.Execute(store::stmt::InsertCode(1, "Shown", "", "1/1/2002", "", "Sub Shown()\r\nEnd Sub"));
        }
        WatchingPrompts prompts;
        snippary::frmSnippary w(prompts);
        prompts.window = &w;
        w.runLoadDB = [library](store::frmLoadDB& d) {
            d.SetPath(library);
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        };
        w.mnuLoad->trigger();
        auto* dlg = w.findChild<exporting::frmExport*>("frmExport");
        QVERIFY(dlg != nullptr);
        if (!message.isEmpty()) prompts.ExpectMsgBoxContaining(message);
        bool stayedOpen = false;
        QTimer::singleShot(0, dlg, [&] {
            QTest::keyClicks(dlg->txtFile, name);
            QTest::mouseClick(dlg->cmdOk, Qt::LeftButton);
            stayedOpen = dlg->isVisible();
            if (stayedOpen) QTest::mouseClick(dlg->cmdCancel, Qt::LeftButton);
        });
        w.mnuExport->trigger();
        QVERIFY2(prompts.Unexpected().isEmpty(), qPrintable(prompts.Unexpected().join('\n')));
        QVERIFY(prompts.AllConsumed());
        QCOMPARE(prompts.progressBoxes, message.isEmpty() ? QList<qsizetype>() : QList<qsizetype>{0});
        QCOMPARE(stayedOpen, !message.isEmpty());
        if (!written.isEmpty()) QVERIFY(testsupport::ReadAll(home.filePath(written)).contains("Sub Shown()"));
    }

    void enterPressesOk() {
        Harness h;
        h.dlg.txtFile->setText(QStringLiteral("enter.html"));
        h.dlg.txtFile->setFocus();
        QTest::keyClick(h.dlg.txtFile, Qt::Key_Return);
        QCOMPARE(h.exports, 1);
        QVERIFY(!h.dlg.isVisible());
    }
};

QTEST_MAIN(TestFrmExport)
#include "tst_frmexport.moc"
