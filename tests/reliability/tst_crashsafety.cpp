// Killing the program at any moment loses nothing it reported as done and leaves
// no half change: the worker is killed at random times, hundreds of times over one
// library, which is checked after every kill.
#include <QtTest>
#include <random>

#include "export/htmlwriter.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "store/statements.h"
#include "store/store.h"
#include "testsupport.h"

namespace {

struct Model {
    QMap<qint64, QString> content;  // ID -> first line of the content
    QMap<qint64, qint64> typeOf;    // ID -> TypeID
    QSet<qint64> categories;        // TypeIDs beyond the five
};

QString FirstLine(const QString& s) { return s.section(QStringLiteral("\r\n"), 0, 0); }

// Applies one "done" line; false when the line is not understood.
bool Apply(Model& m, const QStringList& w) {
    if (w.value(1) == "add") {
        m.content[w[3].toLongLong()] = "c" + w[2];
        m.typeOf[w[3].toLongLong()] = w[4].toLongLong();
    } else if (w.value(1) == "save") {
        if (m.content.contains(w[3].toLongLong())) m.content[w[3].toLongLong()] = "saved " + w[2];
    } else if (w.value(1) == "del") {
        m.content.remove(w[3].toLongLong());
        m.typeOf.remove(w[3].toLongLong());
    } else if (w.value(1) == "cat") {
        m.categories.insert(w[3].toLongLong());
    } else if (w.value(1) == "delcat") {
        const qint64 t = w[3].toLongLong();
        m.categories.remove(t);
        for (auto it = m.typeOf.begin(); it != m.typeOf.end();) {
            if (it.value() == t) {
                m.content.remove(it.key());
                it = m.typeOf.erase(it);
            } else {
                ++it;
            }
        }
    } else if (w.value(1) != "export") {
        return false;
    }
    return true;
}

Model Read(store::Connection& con) {
    Model m;
    store::Recordset rs;
    for (rs.Open("SELECT ID, TypeID, Content FROM Code", &con); !rs.Eof(); rs.MoveNext()) {
        m.content[rs.Fields(0).toLongLong()] = FirstLine(rs.Fields(2).toString());
        m.typeOf[rs.Fields(0).toLongLong()] = rs.Fields(1).toLongLong();
    }
    for (rs.Open("SELECT TypeID FROM Types WHERE TypeID>5", &con); !rs.Eof(); rs.MoveNext())
        m.categories.insert(rs.Fields(0).toLongLong());
    return m;
}

bool Same(const Model& a, const Model& b) {
    return a.content == b.content && a.typeOf == b.typeOf && a.categories == b.categories;
}

}  // namespace

class tst_crashsafety : public QObject {
    Q_OBJECT
private slots:
    void killedAtRandom();
};

void tst_crashsafety::killedAtRandom() {
    QTemporaryDir dir;
    const QString library = dir.filePath("crash.snip");
    const QString page = dir.filePath("page.htm");
    store::CreateLibrary(library, QString(), false);
    store::ConnectionString cs;
    cs.dataSource = library;

    const int rounds = qEnvironmentVariableIntValue("SNIPPARY_CRASH_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("SNIPPARY_CRASH_ROUNDS")
                           : 40;
    std::mt19937 rng(20261207);
    Model model;
    int changesSeen = 0, exportsDone = 0;
    QByteArray pageBefore = testsupport::ReadAll(page);
    for (int round = 0; round < rounds; ++round) {
        QProcess worker;
        worker.start(QStringLiteral(SNIPPARY_CRASH_WORKER), {library, page, QString::number(round)});
        QVERIFY(worker.waitForStarted());
        QTest::qWait(std::uniform_int_distribution<int>(30, 400)(rng));
        worker.kill();  // SIGKILL: no clean-up of any kind
        QVERIFY(worker.waitForFinished());
        const QByteArray said = worker.readAllStandardOutput();
        QVERIFY2(worker.exitStatus() == QProcess::CrashExit,
                 qPrintable("the worker stopped by itself: " + said.right(300)));

        // What the worker said it did, and the one change it may have been making.
        const QList<QByteArray> lines = said.split('\n');
        QStringList inFlight;
        bool exportBegun = false;
        for (const QByteArray& raw : lines) {
            const QStringList w = QString::fromUtf8(raw).split(u' ');
            if (w.value(0) == "begin") inFlight = w;
            if (w.value(0) == "begin" && w.value(1) == "export") exportBegun = true;
            if (w.value(0) == "done" && w.value(1) == "export") ++exportsDone;
            if (w.value(0) == "done") {
                QVERIFY2(Apply(model, w), raw.constData());
                inFlight.clear();
                ++changesSeen;
            }
        }

        store::Connection con;
        con.Open(cs.Build());
        store::Recordset rs;
        rs.Open("PRAGMA integrity_check", &con);
        QCOMPARE(rs.Fields(0).toString(), QString("ok"));
        rs.Close();
        rs.Open("SELECT count(*) FROM Code WHERE TypeID NOT IN (SELECT TypeID FROM Types)", &con);
        QCOMPARE(rs.Fields(0).toLongLong(), 0);  // no half-deleted category
        rs.Close();
        const Model stored = Read(con);
        con.Close();

        if (!Same(stored, model)) {
            // Only the change in flight may have landed, and then all of it.
            QVERIFY2(!inFlight.isEmpty(),
                     qPrintable(QStringLiteral("round %1: a reported change is missing (%2 stored, %3 reported; %4)")
                                    .arg(round)
                                    .arg(stored.content.size())
                                    .arg(model.content.size())
                                    .arg(QString::fromUtf8(lines.value(0)))));
            Model withIt = model;
            QStringList w = inFlight;
            w[0] = "done";
            if (w.value(1) == "add") {
                // Its ID was not reported yet: the one new row of the store.
                for (auto it = stored.content.begin(); it != stored.content.end(); ++it)
                    if (!model.content.contains(it.key()))
                        w << QString::number(it.key()) << QString::number(stored.typeOf[it.key()]);
            }
            if (w.value(1) == "cat")
                for (qint64 t : stored.categories)
                    if (!model.categories.contains(t)) w << QString::number(t);
            QVERIFY(Apply(withIt, w));
            QVERIFY2(Same(stored, withIt),
                     qPrintable(QStringLiteral("round %1: half a change: %2").arg(round).arg(inFlight.join(u' '))));
            model = withIt;
        }
        // A killed export leaves the old page, or none; a page that changed is a new one, whole.
        const QByteArray pageNow = testsupport::ReadAll(page);
        if (pageNow != pageBefore)
            QVERIFY2(
                exportBegun && pageNow.startsWith("\xEF\xBB\xBF<HTML>\r\n") &&
                    pageNow.endsWith("</BODY>\r\n</HTML>\r\n"),
                qPrintable(QStringLiteral("round %1: the page changed into %2 bytes").arg(round).arg(pageNow.size())));
        pageBefore = pageNow;
    }
    // What a killed export left beside the page goes with the next export.
    {
        store::Connection con;
        con.Open(cs.Build());
        exporting::WriteHtmlPage(con, store::ExportQuery(QString(), QString(), QString()), exporting::ExportOptions(),
                                 page);
    }
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(name.startsWith("crash.snip") || name == "page.htm", qPrintable(name));
    QVERIFY2(exportsDone > 0, "no export was finished: the page was never tested");
    QVERIFY2(changesSeen > rounds, "the worker made too few changes to prove anything");
}

QTEST_GUILESS_MAIN(tst_crashsafety)
#include "tst_crashsafety.moc"
