// The snippet list model: columns, Null values, date texts, one reset per fill.
#include <QLocale>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include "main/snippetlistmodel.h"
#include "testsupport.h"

using namespace snippary;

class TestSnippetListModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        testsupport::UseTestEnvironment();
    }

    void headers() {
        SnippetListModel m;
        const QStringList expected = {"Name", "Type", "Description", "Date added", "Source of code"};
        QCOMPARE(m.columnCount(), 5);
        for (int c = 0; c < 5; ++c) QCOMPARE(m.headerData(c, Qt::Horizontal).toString(), expected.at(c));
    }

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

    void nullDateIsEmpty() {
        SnippetListModel m;
        m.Reset({SnippetRow{}});
        QCOMPARE(m.data(m.index(0, 3)).toString(), QString());
    }

    void largeFillIsOneReset() {
        std::vector<SnippetRow> rows(100000);
        for (size_t i = 0; i < rows.size(); ++i) {
            rows[i].id = static_cast<qint64>(i + 1);
            rows[i].name = QString::number(i);
        }
        SnippetListModel m;
        QSignalSpy resets(&m, &QAbstractItemModel::modelReset);
        QSignalSpy inserts(&m, &QAbstractItemModel::rowsInserted);
        m.Reset(std::move(rows));
        QCOMPARE(resets.count(), 1);
        QCOMPARE(inserts.count(), 0);
        QCOMPARE(m.rowCount(), 100000);
        QCOMPARE(m.Row(99999).id, qint64(100000));
    }

    void editRows() {
        SnippetListModel m;
        std::vector<SnippetRow> rows(3);
        for (int i = 0; i < 3; ++i) rows[static_cast<size_t>(i)].name = QString::number(i);
        m.Reset(rows);
        m.Remove(7);  // out of range: nothing
        SnippetRow added;
        added.name = "added";
        m.Append(added);
        QCOMPARE(m.data(m.index(3, 0)).toString(), QString("added"));
    }
};

QTEST_GUILESS_MAIN(TestSnippetListModel)
#include "tst_snippetlistmodel.moc"
