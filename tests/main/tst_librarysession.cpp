// The open library without the window: what the list selects, and what Save, Delete
// and the closing of a library do to the file and to the snippet shown.
#include <QtTest>

#include "main/librarysession.h"
#include "store/statements.h"
#include "testlibrary.h"
#include "testsupport.h"

using snippary::LibrarySession;
using testsupport::TempLibrary;

namespace {
// Category 1 holds b and C, category 4 holds a; "a" is the oldest.
void Seed(TempLibrary& lib) {
    lib.con.Execute(store::stmt::InsertCode(1, "b", "", "2/1/2002", "", "two"));
    lib.con.Execute(store::stmt::InsertCode(4, "a", "", "1/1/2002", "", "one\nlone\r\nline"));
    lib.con.Execute(store::stmt::InsertCode(1, "C", "", "3/1/2002", "", "three"));
}

QStringList Names(LibrarySession& s) {
    QStringList out;
    for (const auto& row : s.List()) out << row.name;
    return out;
}

snippary::SnippetRow RowNamed(LibrarySession& s, const QString& name) {
    for (const auto& row : s.List())
        if (row.name == name) return row;
    return {};
}
}  // namespace

class tst_librarysession : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }

    void list_data() {
        QTest::addColumn<QList<qint64>>("ticked");
        QTest::addColumn<QString>("find");
        QTest::addColumn<int>("sortColumn");  // 0: unsorted
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("nothing ticked") << QList<qint64>{} << "" << 0 << QStringList();
        QTest::newRow("one category by name") << QList<qint64>{1} << "" << 1 << QStringList{"b", "C"};
        QTest::newRow("two by date") << QList<qint64>{1, 4} << "" << 4 << QStringList{"a", "b", "C"};
        QTest::newRow("found") << QList<qint64>{1, 4} << " AND Name LIKE '%c%'" << 1 << QStringList{"C"};
        QTest::newRow("a search that does not parse") << QList<qint64>{1} << " AND (" << 1 << QStringList();
    }
    void list() {
        QFETCH(QList<qint64>, ticked);
        QFETCH(QString, find);
        QFETCH(int, sortColumn);
        TempLibrary lib;
        Seed(lib);
        LibrarySession s;
        s.Open(lib.path, QString());
        s.Tick(ticked);
        s.sFind = find;
        if (sortColumn > 0) s.SortBy(sortColumn);
        QTEST(Names(s), "listed");
    }

    void saveShown_data() {
        QTest::addColumn<QString>("typed");  // empty: saved as shown
        QTest::addColumn<bool>("deletedMeanwhile");
        QTest::addColumn<QString>("stored");
        QTest::newRow("unedited keeps its line ends") << "" << false << "one\nlone\r\nline";
        QTest::newRow("edited") << "one\nmore" << false << "one\r\nmore";
        QTest::newRow("deleted by another program") << "one\nmore" << true << "<none>";
    }
    // Save writes the snippet shown, byte-exact when unedited; a snippet gone since
    // is not shown any more and nothing is written.
    void saveShown() {
        QFETCH(QString, typed);
        QFETCH(bool, deletedMeanwhile);
        TempLibrary lib;
        Seed(lib);
        LibrarySession s;
        s.Open(lib.path, QString());
        s.Tick({4});
        const auto row = RowNamed(s, "a");
        s.Show(row, s.ReadContent(row.id).value_or("<gone>"));
        if (deletedMeanwhile) lib.con.Execute(store::stmt::DeleteCode(row.id));
        const QString box = typed.isEmpty() ? s.shownContent.boxPlain : typed;
        QCOMPARE(s.SaveShown(box) == LibrarySession::Saved::Gone, deletedMeanwhile);
        QCOMPARE(s.shownId.has_value(), !deletedMeanwhile);
        QTEST(lib.Value("SELECT Content FROM Code WHERE Name='a'"), "stored");
        if (!deletedMeanwhile) QVERIFY(!s.Edited(box));  // saved text is no edit any more
    }

    // After Delete nothing is shown, and a gone snippet has no content to read.
    void deleteShowsNothing() {
        TempLibrary lib;
        Seed(lib);
        LibrarySession s;
        s.Open(lib.path, QString());
        s.Tick({1});
        const auto row = RowNamed(s, "b");
        s.Show(row, *s.ReadContent(row.id));
        s.DeleteSnippet(row.id);
        QVERIFY(!s.shownId);
        QCOMPARE(s.ReadContent(row.id), std::nullopt);
        QCOMPARE(Names(s), QStringList{"C"});
    }

    // A library that does not open is still the one named; closing forgets it and
    // its password.
    void openAndClose() {
        TempLibrary lib("right");
        LibrarySession s;
        QVERIFY_THROWS_EXCEPTION(store::StoreError, s.Open(lib.path, "wrong"));
        QVERIFY(!s.IsOpen());
        QCOMPARE(s.sDb, lib.path);
        s.Open(lib.path, "right");
        QVERIFY(s.IsOpen());
        QCOMPARE(s.Categories().size(), size_t(5));
        s.Close();
        QVERIFY(!s.IsOpen());
        QVERIFY(s.sDb.isEmpty() && s.sPass.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_librarysession)
#include "tst_librarysession.moc"
