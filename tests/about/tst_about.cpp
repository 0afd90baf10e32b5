// The About box and the Help commands.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QtTest>

#include "about/help.h"
#include "about/ui/frmabout.h"
#include "platform/folders.h"
#include "platform/scriptedprompts.h"
#include "testsupport.h"

namespace {

// The designed boxes of neighbouring captions touch by a pixel here and there.
QRect Inner(const QWidget* w) { return w->geometry().marginsRemoved(QMargins(1, 1, 1, 1)); }

}  // namespace

class tst_about : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }

    // Each command hands exactly one target to the desktop and asks nothing.
    void helpCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("pagesBeside");
        QTest::addColumn<QString>("target");
        const QString beside = platform::ProgramFolder() + QStringLiteral("/help/index.htm");
        QTest::newRow("F1, pages beside the program") << "index" << true << beside;
        QTest::newRow("Contents, pages beside the program") << "contents" << true << beside;
        QTest::newRow("Contents, installed pages")
            << "contents" << false << QDir::cleanPath(platform::ProgramFolder() + "/../share/snippary/help/index.htm");
        QTest::newRow("Web site") << "web" << false << about::HomePage();
    }
    void helpCommands() {
        QFETCH(QString, command);
        QFETCH(bool, pagesBeside);
        QFETCH(QString, target);
        const QString helpFolder = platform::ProgramFolder() + QStringLiteral("/help");
        const QString index = helpFolder + QStringLiteral("/index.htm");
        if (pagesBeside) {
            QVERIFY(QDir().mkpath(helpFolder) && testsupport::WriteAll(index, ""));
        } else {
            QFile::remove(index);
        }
        platform::ScriptedPrompts prompts;
        if (command == QLatin1String("index"))
            about::OpenHelpIndex(prompts);
        else if (command == QLatin1String("contents"))
            about::OpenHelpContents(prompts);
        else
            about::OpenHomePage(prompts);
        QFile::remove(index);
        QDir().rmdir(helpFolder);
        QCOMPARE(prompts.Opened(), QStringList{target});
        QVERIFY(prompts.History().isEmpty());
    }

    // Every caption is the designed text, shown whole and clear of its neighbours.
    void captions() {
        platform::ScriptedPrompts prompts;
        about::frmAbout box(prompts);
        QCOMPARE(box.windowTitle(), QStringLiteral("About..."));
        const QList<QPair<QString, QString>> captions = {{"Label1", "VB Snippary Add-in [v1.0]"},
                                                         {"Label9", "Visit my home page at"},
                                                         {"lblWWW", about::HomePage()},
                                                         {"Label2", "for the latest version of the program."}};
        for (const auto& [name, caption] : captions) {
            auto* label = box.findChild<QLabel*>(name);
            QVERIFY2(label != nullptr, qPrintable(name));
            QCOMPARE(label->text(), caption);
            QVERIFY(label->width() >= label->sizeHint().width());
            QVERIFY(box.rect().contains(label->geometry()));
            for (QLabel* other : box.findChildren<QLabel*>())
                if (other != label) QVERIFY2(!Inner(other).intersects(Inner(label)), qPrintable(other->objectName()));
        }
        QVERIFY(!box.Image1->pixmap().toImage().allGray());
    }

    void clicks_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("button");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("link, left") << "lblWWW" << int(Qt::LeftButton) << QStringList{about::HomePage()};
        QTest::newRow("link, right") << "lblWWW" << int(Qt::RightButton) << QStringList{};
        QTest::newRow("text beside") << "Label9" << int(Qt::LeftButton) << QStringList{};
    }
    void clicks() {
        QFETCH(QString, name);
        QFETCH(int, button);
        QFETCH(QStringList, opened);
        platform::ScriptedPrompts prompts;
        about::frmAbout box(prompts);
        box.show();
        QTest::mouseClick(box.findChild<QWidget*>(name), Qt::MouseButton(button));
        QCOMPARE(prompts.Opened(), opened);
        QVERIFY(prompts.History().isEmpty());
    }

    void deletedOnClose() {
        platform::ScriptedPrompts prompts;
        QPointer<about::frmAbout> box = new about::frmAbout(prompts);
        box->show();
        box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
    }
};

QTEST_MAIN(tst_about)
#include "tst_about.moc"
