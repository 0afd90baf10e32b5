// The snippet list model: the text of each column, Null shown empty.
#include <QLocale>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include "main/snippetlistmodel.h"
#include "testsupport.h"

using namespace snippary;

class tst_snippetlistmodel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testsupport::UseTestEnvironment(); }

    void cells_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("name") << 0 << "Sort Tools";
        QTest::newRow("type") << 1 << "Modules";
        QTest::newRow("null description") << 2 << "";
        QTest::newRow("date") << 3 << "1/19/2002 3:04:05 PM";
        QTest::newRow("source") << 4 << "O'Brien";
    }
    void cells() {
        QFETCH(int, column);
        QFETCH(QString, text);
        SnippetRow r;
        r.id = 12;
        r.hasId = true;
        r.name = "Sort Tools";
        r.typeName = "Modules";
        r.dateAdded = QDateTime(QDate(2002, 1, 19), QTime(15, 4, 5));
        r.source = "O'Brien";
        SnippetListModel m;
        m.Reset({r});
        QCOMPARE(m.data(m.index(0, column)).toString(), text);
    }
};

QTEST_GUILESS_MAIN(tst_snippetlistmodel)
#include "tst_snippetlistmodel.moc"
