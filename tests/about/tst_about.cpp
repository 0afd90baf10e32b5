// The About box and the Help commands.
#include <QtTest>
#include <QtWidgets>

#include "about/help.h"
#include "about/ui/frmabout.h"
#include "platform/folders.h"
#include "platform/scriptedprompts.h"
#include "testsupport.h"

class tst_about : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }

    // Each command hands exactly one target to the desktop and asks nothing.
    void helpCommands_data() {
        QTest::addColumn<int>("command");  // F1 (Help > Index), Help > Contents, the web site
        QTest::addColumn<bool>("pagesBeside");
        QTest::addColumn<QString>("target");
        const QString beside = platform::ProgramFolder() + QStringLiteral("/help/index.htm");
        QTest::newRow("F1, pages beside the program") << 0 << true << beside;
        QTest::newRow("Contents, installed pages")
            << 1 << false << QDir::cleanPath(platform::ProgramFolder() + "/../share/snippary/help/index.htm");
        QTest::newRow("Web site") << 2 << false << about::HomePage();
    }
    void helpCommands() {
        QFETCH(int, command);
        QFETCH(bool, pagesBeside);
        QFETCH(QString, target);
        const QString helpFolder = platform::ProgramFolder() + QStringLiteral("/help");
        const QString index = helpFolder + QStringLiteral("/index.htm");
        if (pagesBeside) QVERIFY(QDir().mkpath(helpFolder) && testsupport::WriteAll(index, ""));
        platform::ScriptedPrompts prompts;
        void (*const commands[])(platform::Prompts&) = {about::OpenHelpIndex, about::OpenHelpContents,
                                                        about::OpenHomePage};
        commands[command](prompts);
        QFile::remove(index);
        QDir().rmdir(helpFolder);
        QCOMPARE(prompts.Opened(), QStringList{target});
        QVERIFY(prompts.History().isEmpty());
    }

    // Every caption is the designed text, shown whole and clear of its neighbours.
    void captions() {
        platform::ScriptedPrompts prompts;
        about::frmAbout box(prompts);
        QStringList texts{box.windowTitle()};
        for (const char* name : {"Label1", "Label9", "lblWWW", "Label2"}) texts << box.findChild<QLabel*>(name)->text();
        QCOMPARE(texts, QStringList({"About...", "VB Snippary Add-in [v1.0]", "Visit my home page at",
                                     about::HomePage(), "for the latest version of the program."}));
        const QMargins touch(1, 1, 1, 1);  // the designed boxes of neighbours touch by a pixel here and there
        for (QLabel* label : box.findChildren<QLabel*>()) {
            QVERIFY(label->width() >= label->sizeHint().width() && box.rect().contains(label->geometry()));
            const QRect inner = label->geometry().marginsRemoved(touch);
            for (QLabel* other : box.findChildren<QLabel*>())
                if (other != label) QVERIFY2(!other->geometry().intersects(inner), qPrintable(other->objectName()));
        }
        QVERIFY(!box.Image1->pixmap().toImage().allGray());
    }

    // Only a left click on the link opens it; closing the box deletes it.
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
        QPointer<about::frmAbout> box = new about::frmAbout(prompts);
        box->show();
        QTest::mouseClick(box->findChild<QWidget*>(name), Qt::MouseButton(button));
        QCOMPARE(prompts.Opened(), opened);
        QVERIFY(prompts.History().isEmpty());
        box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
    }
};

QTEST_MAIN(tst_about)
#include "tst_about.moc"
