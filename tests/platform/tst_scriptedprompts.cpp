// The scripted prompts other tests rely on: what matches, what is answered,
// and that a question nobody expected is caught.
#include <QLocale>
#include <QStandardPaths>
#include <QTest>

#include "platform/scriptedprompts.h"

using platform::FontChoice;
using platform::Prompts;
using platform::ScriptedPrompts;

Q_DECLARE_METATYPE(Prompts::Answer)
Q_DECLARE_METATYPE(Prompts::Buttons)

class TestScriptedPrompts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        // Under CTest each test has its own config folder; run by hand, Qt's test folders.
        QStandardPaths::setTestModeEnabled(qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"));
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
        QTest::newRow("exact, no") << overwrite << false << Prompts::No << overwrite << Prompts::YesNo << Prompts::No << true;
        // An unmatched question gets No, whatever was queued for the one expected.
        QTest::newRow("exact needs all of it") << QStringLiteral("File /tmp/a.htm") << false << Prompts::Yes << overwrite
                                               << Prompts::YesNo << Prompts::No << false;
        QTest::newRow("part") << QStringLiteral("already exist") << true << Prompts::Yes << overwrite << Prompts::YesNo
                              << Prompts::Yes << true;
        QTest::newRow("part missing") << QStringLiteral("overwritten") << true << Prompts::Yes << overwrite << Prompts::YesNo
                                      << Prompts::No << false;
        QTest::newRow("ok box") << empty << false << Prompts::Ok << empty << Prompts::OkOnly << Prompts::Ok << true;
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
        const ScriptedPrompts::Asked& a = p.History().first();
        QCOMPARE(a.kind, ScriptedPrompts::MsgBoxKind);
        QCOMPARE(a.text, asked);
        QCOMPARE(a.title, QStringLiteral("Attention"));
        QCOMPARE(a.buttons, buttons);
        QCOMPARE(a.icon, Prompts::Exclamation);
        QCOMPARE(a.expected, matched);
    }

    void defaultTitleIsTheProgram() {
        ScriptedPrompts p;
        p.ExpectMsgBox(QStringLiteral("Done"));
        Prompts& base = p;
        base.MsgBox(QStringLiteral("Done"));
        QCOMPARE(p.History().first().title, QStringLiteral("VBSnippary"));
        QCOMPARE(p.Messages(), QStringList{QStringLiteral("Done")});
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

    void inputBox_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("queuedPrompt");
        QTest::addColumn<bool>("matched");
        QTest::newRow("typed") << std::optional<QString>(QStringLiteral("Forms")) << QString() << true;
        QTest::newRow("emptied is not cancel") << std::optional<QString>(QString()) << QString() << true;
        QTest::newRow("cancel") << std::optional<QString>() << QString() << true;
        QTest::newRow("prompt matches") << std::optional<QString>(QStringLiteral("x")) << QStringLiteral("Category name:") << true;
        QTest::newRow("prompt differs") << std::optional<QString>(QStringLiteral("x")) << QStringLiteral("Other:") << false;
    }
    void inputBox() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, queuedPrompt);
        QFETCH(bool, matched);
        ScriptedPrompts p;
        p.ExpectInputBox(answer, queuedPrompt);
        const std::optional<QString> got =
            p.InputBox(QStringLiteral("Category name:"), QStringLiteral("New category"), QStringLiteral("Misc"));
        QCOMPARE(got, matched ? answer : std::optional<QString>());
        QCOMPARE(got.has_value() && got->isEmpty(), matched && answer.has_value() && answer->isEmpty());
        const ScriptedPrompts::Asked& a = p.History().first();
        QCOMPARE(a.kind, ScriptedPrompts::InputBoxKind);
        QCOMPARE(a.text, QStringLiteral("Category name:"));
        QCOMPARE(a.title, QStringLiteral("New category"));
        QCOMPARE(a.defaultText, QStringLiteral("Misc"));
        QCOMPARE(p.Unexpected().isEmpty(), matched);
    }

    void fileDialogs() {
        ScriptedPrompts p;
        const QString filter = QStringLiteral("Module (*.bas)|*.bas|Class (*.cls)|*.cls|All files (*.*)|*.*");
        p.ExpectOpenFile(QStringLiteral("/tmp/modSort.bas"), QStringLiteral("Select file"));
        p.ExpectSaveFile(QString());
        p.ExpectOpenFile(QStringLiteral("/tmp/x"), QStringLiteral("Other title"));
        QCOMPARE(p.OpenFile(QStringLiteral("/home"), QStringLiteral("Select file"), filter), QStringLiteral("/tmp/modSort.bas"));
        QCOMPARE(p.SaveFile(QStringLiteral("/data"), QStringLiteral("New database"), QString()), QString());
        QCOMPARE(p.OpenFile(QString(), QStringLiteral("Select file"), filter), QString());
        const ScriptedPrompts::Asked& a = p.History().first();
        QCOMPARE(a.kind, ScriptedPrompts::OpenFileKind);
        QCOMPARE(a.initialFolder, QStringLiteral("/home"));
        QCOMPARE(a.filter, filter);
        QCOMPARE(p.History().at(1).kind, ScriptedPrompts::SaveFileKind);
        QCOMPARE(p.Unexpected().size(), 1);
        QVERIFY(!p.AllConsumed());
    }

    void browseFolder_data() {
        QTest::addColumn<QString>("queued");
        QTest::addColumn<QString>("returned");
        QTest::newRow("separator added") << "/home/ann/pages" << "/home/ann/pages/";
        QTest::newRow("separator kept") << "/home/ann/" << "/home/ann/";
        QTest::newRow("root") << "/" << "/";
        QTest::newRow("cancel") << "" << "";
    }
    void browseFolder() {
        QFETCH(QString, queued);
        QFETCH(QString, returned);
        ScriptedPrompts p;
        p.ExpectBrowseFolder(queued, QStringLiteral("Choose a directory from the list."));
        QCOMPARE(p.BrowseFolder(QStringLiteral("Choose a directory from the list.")), returned);
        QVERIFY(p.AllConsumed());
    }

    void font() {
        ScriptedPrompts p;
        const FontChoice current{QStringLiteral("DejaVu Sans Mono"), 10};
        p.ExpectFont(FontChoice{QStringLiteral("Liberation Mono"), 8.25});
        p.ExpectFont(std::nullopt);
        const FontChoice chosen = p.ChooseFont(current);
        QCOMPARE(chosen.name, QStringLiteral("Liberation Mono"));
        QCOMPARE(chosen.pointSize, 8.25);
        const FontChoice cancelled = p.ChooseFont(current);
        QCOMPARE(cancelled.name, current.name);
        QCOMPARE(cancelled.pointSize, current.pointSize);
        QCOMPARE(p.History().first().font.name, current.name);
        QVERIFY(p.AllConsumed());
    }

    void shellOpenNeedsNoExpectation() {
        ScriptedPrompts p;
        p.ShellOpen(QStringLiteral("/opt/snippary/help/index.htm"));
        p.ShellOpen(QStringLiteral("https://vbsnippary.example.org/"));
        QCOMPARE(p.Opened(), (QStringList{QStringLiteral("/opt/snippary/help/index.htm"),
                                         QStringLiteral("https://vbsnippary.example.org/")}));
        QVERIFY(p.Unexpected().isEmpty());
        QVERIFY(p.History().isEmpty());
        p.Clear();
        QVERIFY(p.Opened().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestScriptedPrompts)
#include "tst_scriptedprompts.moc"
