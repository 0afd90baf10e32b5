// The export dialog: its controls, the file it settles on, the overwrite
// question and when it closes.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "export/ui/frmexport.h"
#include "platform/folders.h"
#include "platform/scriptedprompts.h"
#include "platform/twips.h"
#include "testsupport.h"

using platform::Prompts;
using platform::ScriptedPrompts;

namespace {

// The picker's raw answer, so the separator handling of BrowseFolder shows.
class RawPicker : public ScriptedPrompts {
public:
    QString answer;
    QStringList titles;
    QString BrowseFolder(const QString& title) override {
        titles << title;
        return answer;
    }
};

// The dialog with its owner and a counting stand-in for the page writer.
struct Harness {
    ScriptedPrompts prompts;
    QWidget owner;
    exporting::frmExport dlg{prompts, &owner};
    int exports = 0;
    bool exportResult = true;
    QString fileSeen;

    Harness() {
        dlg.exportPage = [this] {
            ++exports;
            fileSeen = dlg.file;
            return exportResult;
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
        QVERIFY(QDir().mkpath(platform::ExportDefaultFolder()));
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Label1") << "Label1" << "&File name:" << QRect(360, 360, 1215, 255);
        QTest::newRow("txtFile") << "txtFile" << "" << QRect(1800, 360, 2655, 285);
        QTest::newRow("Label2") << "Label2" << "F&older:" << QRect(360, 720, 1095, 255);
        QTest::newRow("txtFolder") << "txtFolder" << "" << QRect(1800, 720, 5655, 285);
        QTest::newRow("cmdBrowse") << "cmdBrowse" << "..." << QRect(7560, 720, 615, 285);
        QTest::newRow("cmdOk") << "cmdOk" << "&Ok" << QRect(6360, 1680, 1935, 375);
        QTest::newRow("cmdCancel") << "cmdCancel" << "&Cancel" << QRect(6360, 2160, 1935, 375);
        QTest::newRow("chkColors") << "chkColors" << "&Use VB standard colors" << QRect(1800, 1560, 2295, 255);
        QTest::newRow("optFel0") << "optFel0" << "Simple list" << QRect(1800, 1920, 1215, 255);
        QTest::newRow("optFel1") << "optFel1" << "Numbered list" << QRect(1800, 2280, 1575, 255);
        QTest::newRow("Label3") << "Label3" << "(leave empty for App.path)" << QRect(360, 960, 1215, 495);
    }
    void controls() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        Harness h;
        auto* w = h.dlg.findChild<QWidget*>(name);
        QVERIFY2(w != nullptr, qPrintable(name));
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(w)) text = edit->text();
        QCOMPARE(text, caption);
        // Placed where designed; a caption only grows, so that none is cut off.
        const QRect designed = platform::TwipsRect(twips.x(), twips.y(), twips.width(), twips.height());
        QCOMPARE(w->pos(), designed.topLeft());
        QVERIFY(w->width() >= designed.width() && w->height() >= designed.height());
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
        QTest::addColumn<QString>("existing");  // none, file, dir, library, link (to a library)
        QTest::addColumn<bool>("asked");
        QTest::newRow("new page") << "new.html" << "none" << false;
        QTest::newRow("existing page") << "lib.html" << "file" << true;
        QTest::newRow("hidden page") << ".lib.html" << "file" << true;
        QTest::newRow("folder of that name") << "pages.html" << "dir" << false;
        // The name is used as typed: no extension is added.
        QTest::newRow("no extension") << "lib" << "none" << false;
        // A library is refused, not offered for overwriting.
        QTest::newRow("library") << "lib.snip" << "library" << false;
        QTest::newRow("link to a library") << "lib.html" << "link" << false;
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

    // lib.html with no folder chosen goes to the default folder, and the question names it in full.
    void overwriteAnswer_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("written");
        QTest::addColumn<int>("exports");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("no") << int(Prompts::No) << true << 0 << true;
        QTest::newRow("yes, page written") << int(Prompts::Yes) << true << 1 << false;
        QTest::newRow("yes, page not written") << int(Prompts::Yes) << false << 1 << true;
    }
    void overwriteAnswer() {
        QFETCH(int, answer);
        QFETCH(bool, written);
        QFETCH(int, exports);
        QFETCH(bool, staysOpen);
        const QString target = platform::ExportDefaultFolder() + QStringLiteral("/lib.html");
        {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("old page");
        }
        Harness h;
        h.exportResult = written;
        h.dlg.txtFile->setText(QStringLiteral("lib.html"));
        h.prompts.ExpectMsgBox(OverwriteQuestion(target), Prompts::Answer(answer));
        h.dlg.cmdOk->click();
        QVERIFY2(h.prompts.Unexpected().isEmpty(), qPrintable(h.prompts.Unexpected().join('\n')));
        QVERIFY(h.prompts.AllConsumed());
        QCOMPARE(h.prompts.History().first().title, QStringLiteral("Attention"));
        QCOMPARE(h.prompts.History().first().buttons, Prompts::YesNo);
        QCOMPARE(h.dlg.file, target);
        QCOMPARE(h.exports, exports);
        QCOMPARE(h.dlg.isVisible(), staysOpen);
        QCOMPARE(h.dlg.txtFile->text(), QStringLiteral("lib.html"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old page"));
    }

    void cancelledPickerEmptiesFolder() {
        Harness h;
        h.prompts.ExpectBrowseFolder(QStringLiteral("/srv/pages"));
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

    void browseFolder_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no separator") << "/home/me/pages" << "/home/me/pages/";
        QTest::newRow("separator") << "/home/me/pages/" << "/home/me/pages/";
        QTest::newRow("root") << "/" << "/";
        QTest::newRow("cancelled") << "" << "";
    }
    void browseFolder() {
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        RawPicker picker;
        picker.answer = answer;
        QCOMPARE(exporting::BrowseFolder(picker), expected);
        QCOMPARE(picker.titles, QStringList{QStringLiteral("Choose a directory from the list.")});
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
