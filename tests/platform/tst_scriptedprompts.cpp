// The one rule of the scripted prompts the other tests stand on: a question that
// does not match the queue is answered No and reported, so a flow that asks the
// wrong thing, or asks out of turn, cannot pass.
#include <QTest>

#include "platform/scriptedprompts.h"
#include "testsupport.h"

using platform::Prompts;
using platform::ScriptedPrompts;

class TestScriptedPrompts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }

    void mismatchCaught_data() {
        QTest::addColumn<QString>("queued");  // empty: nothing queued; "*" before: a part
        QTest::addColumn<bool>("matched");
        QTest::newRow("exact") << "File a already exist !" << true;
        QTest::newRow("exact needs all of it") << "File a" << false;
        QTest::newRow("part") << "*already exist" << true;
        QTest::newRow("part missing") << "*overwritten" << false;
        QTest::newRow("nothing queued") << "" << false;
        QTest::newRow("input box queued") << "?" << false;
    }
    void mismatchCaught() {
        QFETCH(QString, queued);
        QFETCH(bool, matched);
        ScriptedPrompts p;
        if (queued == QLatin1String("?")) p.ExpectInputBox(QStringLiteral("answer"));
        else if (queued.startsWith(u'*')) p.ExpectMsgBoxContaining(queued.mid(1), Prompts::Yes);
        else if (!queued.isEmpty()) p.ExpectMsgBox(queued, Prompts::Yes);
        const QString asked = QStringLiteral("File a already exist !");
        QCOMPARE(p.MsgBox(asked, Prompts::YesNo), matched ? Prompts::Yes : Prompts::No);
        QCOMPARE(p.Unexpected().size(), matched ? 0 : 1);
        QCOMPARE(p.AllConsumed(), matched || queued.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestScriptedPrompts)
#include "tst_scriptedprompts.moc"
