// The Qt dialogs behind the prompts: answers and cancellation as the callers
// see them. Each dialog is answered from the event loop once it is shown.
#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/ui/captionfit.h"
#include "platform/ui/qtprompts.h"
#include "testsupport.h"

using platform::Prompts;
using platform::QtPrompts;

namespace {

// Runs `answer` on the modal dialog as soon as one is shown.
void WhenShown(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

}  // namespace

class tst_qtprompts : public QObject {
    Q_OBJECT
    QtPrompts prompts;

private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }

    void msgBox_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("press");  // a QMessageBox button, or 0 for Esc
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("title");
        const QString atention = QStringLiteral("Atention");
        QTest::newRow("yes") << int(Prompts::YesNo) << int(QMessageBox::Yes) << int(Prompts::Yes) << atention;
        QTest::newRow("no") << int(Prompts::YesNo) << int(QMessageBox::No) << int(Prompts::No) << atention;
        QTest::newRow("escape is no") << int(Prompts::YesNo) << 0 << int(Prompts::No) << atention;
        QTest::newRow("ok") << int(Prompts::OkOnly) << int(QMessageBox::Ok) << int(Prompts::Ok) << atention;
        QTest::newRow("escape on ok box") << int(Prompts::OkOnly) << 0 << int(Prompts::Ok) << atention;
        QTest::newRow("long title") << int(Prompts::OkOnly) << int(QMessageBox::Ok) << int(Prompts::Ok)
                                    << QStringLiteral("VBSnippary, the library of code snippets");
    }
    void msgBox() {
        QFETCH(int, buttons);
        QFETCH(int, press);
        QFETCH(int, answer);
        QFETCH(QString, title);
        QString shownTitle, text;
        int width = 0;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::TextFormat format = Qt::AutoText;
        WhenShown([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr) return w->close();
            shownTitle = box->windowTitle();
            width = box->width();
            text = box->text();
            icon = box->icon();
            format = box->textFormat();
            if (press == 0)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(static_cast<QMessageBox::StandardButton>(press))->click();
            return true;
        });
        const Prompts::Answer got = prompts.MsgBox(QStringLiteral("Delete <b>it</b>?"),
                                                   static_cast<Prompts::Buttons>(buttons), Prompts::Exclamation, title);
        QCOMPARE(int(got), answer);
        QCOMPARE(shownTitle, title);
        QVERIFY(width >= platform::TitleBarWidth(title));  // the title bar shows it whole
        QCOMPARE(text, QStringLiteral("Delete <b>it</b>?"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(format, Qt::PlainText);  // a message quoting a snippet's name shows it as typed
    }

    void inputBox_data() {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<std::optional<QString>>("result");
        QTest::addColumn<QString>("title");
        QTest::newRow("typed") << true << "Forms" << std::optional<QString>(QStringLiteral("Forms")) << "New";
        QTest::newRow("emptied") << true << "" << std::optional<QString>(QString()) << "New category";
        QTest::newRow("cancelled") << false << "Forms" << std::optional<QString>()
                                   << "New description of the selected snippet";
    }
    void inputBox() {
        QFETCH(bool, accept);
        QFETCH(QString, typed);
        QFETCH(std::optional<QString>, result);
        QFETCH(QString, title);
        QString shownDefault;
        int width = 0;
        WhenShown([&](QWidget* w) {
            auto* dlg = qobject_cast<QInputDialog*>(w);
            if (dlg == nullptr) return w->close();
            shownDefault = dlg->textValue();
            width = dlg->width();
            dlg->setTextValue(typed);
            if (accept)
                dlg->accept();
            else
                dlg->reject();
            return true;
        });
        const std::optional<QString> got =
            prompts.InputBox(QStringLiteral("Category name:"), title, QStringLiteral("Misc"));
        QCOMPARE(shownDefault, QStringLiteral("Misc"));
        QVERIFY(width >= platform::TitleBarWidth(title));
        QCOMPARE(got, result);
    }

    void passwordIsHidden() {
        QLineEdit::EchoMode mode = QLineEdit::Normal;
        WhenShown([&](QWidget* w) {
            auto* dlg = qobject_cast<QInputDialog*>(w);
            if (dlg == nullptr) return w->close();
            mode = dlg->textEchoMode();
            dlg->setTextValue(QStringLiteral("s3cret"));
            dlg->accept();
            return true;
        });
        QCOMPARE(prompts.Password(QStringLiteral("Password:"), QStringLiteral("Library")),
                 std::optional<QString>(QStringLiteral("s3cret")));
        QCOMPARE(mode, QLineEdit::Password);
    }

    void openFiles_data() {
        QTest::addColumn<bool>("several");
        QTest::addColumn<QString>("typed");  // in the file name box, then Open; empty: Cancel
        QTest::addColumn<QStringList>("chosen");
        QTest::newRow("one file, cancelled") << false << QString() << QStringList{QString()};
        QTest::newRow("one file") << false << "a.bas" << QStringList{"a.bas"};
        QTest::newRow("several files, cancelled") << true << QString() << QStringList{};
        QTest::newRow("several files") << true << "\"a.bas\" \"b.bas\"" << QStringList{"a.bas", "b.bas"};
    }
    // The file pickers: the filter's parts offered, the first chosen, and the typed files given back.
    void openFiles() {
        QFETCH(bool, several);
        QFETCH(QString, typed);
        QFETCH(QStringList, chosen);
        QTemporaryDir dir;
        for (const char* name : {"a.bas", "b.bas"}) QVERIFY(testsupport::WriteAll(dir.filePath(name), "x\r\n"));
        for (QString& c : chosen) c = c.isEmpty() ? c : dir.filePath(c);
        QStringList filters;
        QString selected;
        WhenShown([&](QWidget* w) {
            auto* dlg = qobject_cast<QFileDialog*>(w);
            if (dlg == nullptr) return w->close();
            filters = dlg->nameFilters();
            selected = dlg->selectedNameFilter();
            if (typed.isEmpty()) {
                dlg->reject();
            } else {
                auto* name = dlg->findChild<QLineEdit*>("fileNameEdit");
                name->setText(typed);  // typed whole: the completer's list would take the keys
                QTest::keyClick(name, Qt::Key_Return);
            }
            return true;
        });
        const QString filter = QStringLiteral("Module (*.bas)|*.bas|Class (*.cls)|*.cls|All files (*.*)|*.*");
        const QStringList got = several
                                    ? prompts.OpenFiles(dir.path(), QStringLiteral("Select files"), filter)
                                    : QStringList{prompts.OpenFile(dir.path(), QStringLiteral("Select file"), filter)};
        QCOMPARE(got, chosen);
        QCOMPARE(filters, (QStringList{QStringLiteral("Module (*.bas)"), QStringLiteral("Class (*.cls)"),
                                       QStringLiteral("All files (*)")}));
        QCOMPARE(selected, QStringLiteral("Module (*.bas)"));
    }

    void fontCancelKeepsCurrent() {
        WhenShown([](QWidget* w) {
            w->close();
            return true;
        });
        const platform::FontChoice current{QStringLiteral("Some Font"), 8.25};
        const platform::FontChoice got = prompts.ChooseFont(current);
        QCOMPARE(got.name, current.name);
        QCOMPARE(got.pointSize, current.pointSize);
    }
};

QTEST_MAIN(tst_qtprompts)
#include "tst_qtprompts.moc"
