// The About box and the Help commands.
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QStandardPaths>
#include <QUrl>
#include <QtTest>

#include "about/help.h"
#include "about/ui/frmabout.h"
#include "platform/folders.h"
#include "platform/scriptedprompts.h"
#include "platform/twips.h"
#include "testsupport.h"

namespace {

void MoveOver(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
}

QColor TextColor(const QWidget* w) { return w->palette().color(QPalette::WindowText); }

// The designed boxes of neighbouring captions touch by a pixel here and there.
QRect Inner(const QWidget* w) { return w->geometry().marginsRemoved(QMargins(1, 1, 1, 1)); }

}  // namespace

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
    }

    void homePageIsAWebAddress() {
        const QUrl url(about::HomePage(), QUrl::StrictMode);
        QVERIFY(url.isValid());
        QVERIFY(url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
        QVERIFY(!url.host().isEmpty());
    }

    // Each command hands exactly one target to the desktop and asks nothing.
    void helpCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("pagesBeside");
        QTest::addColumn<QString>("target");
        const QString beside = platform::ProgramFolder() + QStringLiteral("/help/index.htm");
        QTest::newRow("F1, pages beside the program") << "index" << true << beside;
        QTest::newRow("Contents, pages beside the program") << "contents" << true << beside;
        QTest::newRow("Contents, installed pages") << "contents" << false
                                                   << QDir::cleanPath(platform::ProgramFolder() +
                                                                      "/../share/snippary/help/index.htm");
        QTest::newRow("Web site") << "web" << false << about::HomePage();
    }
    void helpCommands() {
        QFETCH(QString, command);
        QFETCH(bool, pagesBeside);
        QFETCH(QString, target);
        const QString helpFolder = platform::ProgramFolder() + QStringLiteral("/help");
        const QString index = helpFolder + QStringLiteral("/index.htm");
        if (pagesBeside) {
            QVERIFY(QDir().mkpath(helpFolder));
            QFile f(index);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else {
            QFile::remove(index);
        }
        platform::ScriptedPrompts prompts;
        if (command == QLatin1String("index")) about::OpenHelpIndex(prompts);
        else if (command == QLatin1String("contents")) about::OpenHelpContents(prompts);
        else about::OpenHomePage(prompts);
        QFile::remove(index);
        QDir().rmdir(helpFolder);
        QCOMPARE(prompts.Opened(), QStringList{target});
        QVERIFY(prompts.History().isEmpty());
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QColor>("color");
        const QColor plain = QWidget().palette().color(QPalette::WindowText);
        QTest::newRow("Label1") << "Label1" << "VB Snippary Add-in [v1.0]" << QRect(1200, 360, 4575, 375)
                                << QColor(0, 0, 192);
        QTest::newRow("lblAuthor") << "lblAuthor" << "" << QRect(1200, 720, 2775, 255) << QColor(128, 64, 0);
        QTest::newRow("Label9") << "Label9" << "Visit my home page at" << QRect(480, 3600, 1575, 255) << plain;
        QTest::newRow("lblWWW") << "lblWWW" << about::HomePage() << QRect(2160, 3600, 2055, 255)
                                << QColor(0, 0, 128);
        QTest::newRow("Label2") << "Label2" << "for the latest version of the program."
                                << QRect(3960, 3600, 2775, 255) << plain;
        QTest::newRow("Image1") << "Image1" << "" << QRect(360, 360, 480, 480) << plain;
    }
    void controls() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        QFETCH(QColor, color);
        platform::ScriptedPrompts prompts;
        about::frmAbout box(prompts);
        auto* label = box.findChild<QLabel*>(name);
        QVERIFY2(label != nullptr, qPrintable(name));
        if (!caption.isEmpty()) QCOMPARE(label->text(), caption);
        // On its designed line; a text only grows (and pushes the link line along), so none is cut off.
        const QRect designed = platform::TwipsRect(twips.x(), twips.y(), twips.width(), twips.height());
        QCOMPARE(label->y(), designed.y());
        QVERIFY(label->x() >= designed.x());
        QVERIFY(label->width() >= std::max(designed.width(), label->sizeHint().width()));
        QVERIFY(box.rect().contains(label->geometry()));
        for (QLabel* other : box.findChildren<QLabel*>())
            if (other != label) QVERIFY2(!Inner(other).intersects(Inner(label)), qPrintable(other->objectName()));
        QCOMPARE(TextColor(label), color);
    }

    void look() {
        platform::ScriptedPrompts prompts;
        about::frmAbout box(prompts);
        QCOMPARE(box.windowTitle(), QStringLiteral("About..."));
        QCOMPARE(box.height(), platform::TwipsToPx(4065));
        QVERIFY(box.width() >= platform::TwipsToPx(8640));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QVERIFY(box.isWindow());
        QCOMPARE(box.parentWidget(), nullptr);
        QVERIFY(box.testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!box.lblAuthor->text().isEmpty());
        QCOMPARE(box.Label1->font().family(), QStringLiteral("Arial"));
        QCOMPARE(box.Label1->font().pointSize(), 12);
        QVERIFY(box.Label1->font().bold());
        QVERIFY(!box.lblWWW->font().underline());
        QCOMPARE(box.Image1->pixmap().size(), QSize(32, 32));
        QVERIFY(!box.Image1->pixmap().toImage().allGray());
        // The rule runs from 360 to 8160 twips at 3480, 480 twips short of the right edge.
        QCOMPARE(box.Line1->frameShape(), QFrame::HLine);
        QCOMPARE(box.Line1->x(), platform::TwipsToPx(360));
        QCOMPARE(box.width() - (box.Line1->x() + box.Line1->width()),
                 platform::TwipsToPx(8640) - platform::TwipsToPx(8160));
        QVERIFY(box.Line1->geometry().contains(box.Line1->x(), platform::TwipsToPx(3480)));
    }

    // The pointer's path over the box, and whether the link is underlined after each step.
    void hover_data() {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QList<bool>>("underlined");
        QTest::newRow("link then Label9") << QStringList{"lblWWW", "Label9"} << QList<bool>{true, false};
        QTest::newRow("back and forth") << QStringList{"lblWWW", "frmAbout", "lblWWW", "Label2", "lblWWW"}
                                        << QList<bool>{true, false, true, false, true};
        QTest::newRow("surface only") << QStringList{"frmAbout", "Label9"} << QList<bool>{false, false};
        // Leaving the link straight out of the box.
        QTest::newRow("link then away") << QStringList{"lblWWW", "leave"} << QList<bool>{true, false};
    }
    void hover() {
        QFETCH(QStringList, path);
        QFETCH(QList<bool>, underlined);
        platform::ScriptedPrompts prompts;
        about::frmAbout box(prompts);
        box.show();
        for (qsizetype i = 0; i < path.size(); ++i) {
            if (path[i] == QLatin1String("leave")) {
                QEvent leave(QEvent::Leave);
                QCoreApplication::sendEvent(box.lblWWW, &leave);
            } else {
                QWidget* w = path[i] == QLatin1String("frmAbout") ? &box : box.findChild<QWidget*>(path[i]);
                QVERIFY(w != nullptr);
                MoveOver(w);
            }
            QCOMPARE(box.lblWWW->font().underline(), underlined[i]);
        }
        QVERIFY(prompts.Opened().isEmpty());
    }

    void clicks_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("button");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("link, left") << "lblWWW" << int(Qt::LeftButton) << QStringList{about::HomePage()};
        QTest::newRow("link, right") << "lblWWW" << int(Qt::RightButton) << QStringList{};
        QTest::newRow("text beside") << "Label9" << int(Qt::LeftButton) << QStringList{};
        QTest::newRow("title") << "Label1" << int(Qt::LeftButton) << QStringList{};
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

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
