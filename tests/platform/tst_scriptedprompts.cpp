// The scripted prompts other tests rely on: what matches, what is answered,
// and that a question nobody expected is caught.
#include <QLocale>
#include <QStandardPaths>
#include <QTest>

#include "platform/scriptedprompts.h"
#include "testsupport.h"

using platform::FontChoice;
using platform::Prompts;
using platform::ScriptedPrompts;

Q_DECLARE_METATYPE(Prompts::Answer)
Q_DECLARE_METATYPE(Prompts::Buttons)

class TestScriptedPrompts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
    }

    void msgBox_data() {
        QTest::addColumn<QString>("queued");
        QTest::addColumn<bool>("substring");
        QTest::addColumn<Prompts::Answer>("queuedAnswer");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<Prompts::Buttons>("buttons");
        QTest::addColumn<Prompts::Answer>("answer");
        QTest::addColumn<bool>("matched");
        const QString overwrite = QStringLiteral("File /tmp/a.htm already exist !\r\nDo you want to overwrite it?");
        const QString empty = QStringLiteral("File name can't be empty!");
        QTest::newRow("exact, yes") << overwrite << false << Prompts::Yes << overwrite << Prompts::YesNo << Prompts::Yes << true;
        // An unmatched question gets No, whatever was queued for the one expected.
        QTest::newRow("exact needs all of it") << QStringLiteral("File /tmp/a.htm") << false << Prompts::Yes << overwrite
                                               << Prompts::YesNo << Prompts::No << false;
        QTest::newRow("part") << QStringLiteral("already exist") << true << Prompts::Yes << overwrite << Prompts::YesNo
                              << Prompts::Yes << true;
        QTest::newRow("part missing") << QStringLiteral("overwritten") << true << Prompts::Yes << overwrite << Prompts::YesNo
                                      << Prompts::No << false;
        QTest::newRow("ok box unexpected") << QStringLiteral("other") << false << Prompts::Ok << empty << Prompts::OkOnly
                                           << Prompts::Ok << false;
    }
    void msgBox() {
        QFETCH(QString, queued);
        QFETCH(bool, substring);
        QFETCH(Prompts::Answer, queuedAnswer);
        QFETCH(QString, asked);
        QFETCH(Prompts::Buttons, buttons);
        QFETCH(Prompts::Answer, answer);
        QFETCH(bool, matched);
        ScriptedPrompts p;
        if (substring)
            p.ExpectMsgBoxContaining(queued, queuedAnswer);
        else
            p.ExpectMsgBox(queued, queuedAnswer);
        QCOMPARE(p.MsgBox(asked, buttons, Prompts::Exclamation, QStringLiteral("Attention")), answer);
        QCOMPARE(p.AllConsumed(), matched);
        QCOMPARE(p.Unexpected().size(), matched ? 0 : 1);
        QCOMPARE(p.History().size(), 1);
        QCOMPARE(p.History().first().expected, matched);
    }

    void nothingExpected() {
        ScriptedPrompts p;
        QCOMPARE(p.MsgBox(QStringLiteral("Delete?"), Prompts::YesNo), Prompts::No);
        QCOMPARE(p.InputBox(QStringLiteral("Name:"), QStringLiteral("New category")), std::optional<QString>());
        QCOMPARE(p.Password(QStringLiteral("Password:"), QStringLiteral("Open")), std::optional<QString>());
        QCOMPARE(p.OpenFile(QString(), QStringLiteral("Select file"), QString()), QString());
        QCOMPARE(p.SaveFile(QString(), QStringLiteral("New database"), QString()), QString());
        QCOMPARE(p.BrowseFolder(QStringLiteral("Choose")), QString());
        const FontChoice current{QStringLiteral("Mono"), 9};
        QCOMPARE(p.ChooseFont(current).name, QStringLiteral("Mono"));
        QCOMPARE(p.Unexpected().size(), 7);
        QVERIFY(p.Unexpected().first().contains(QStringLiteral("Delete?")));
        QVERIFY(p.AllConsumed());
    }

    void queueIsInOrder() {
        ScriptedPrompts p;
        p.ExpectMsgBox(QStringLiteral("First"));
        p.ExpectInputBox(QStringLiteral("answer"));
        // The input box comes before the message: it does not match, the queue stays.
        QCOMPARE(p.InputBox(QStringLiteral("Name:"), QStringLiteral("T")), std::optional<QString>());
        QCOMPARE(p.Unexpected().size(), 1);
        QVERIFY(p.Unexpected().first().contains(QStringLiteral("First")));
        QCOMPARE(p.Pending().size(), 2);
        p.MsgBox(QStringLiteral("First"));
        QCOMPARE(p.InputBox(QStringLiteral("Name:"), QStringLiteral("T")), std::optional<QString>(QStringLiteral("answer")));
        QVERIFY(p.AllConsumed());
        QCOMPARE(p.Unexpected().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestScriptedPrompts)
#include "tst_scriptedprompts.moc"
