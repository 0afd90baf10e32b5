// The Jet texts as SQLite receives them: meanings translated, literals untouched.
#include <QtTest>

#include "store/jetsql.h"
#include "store/store.h"

using store::jet::Translate;

class tst_jetsql : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void translate_data();
    void translate();
    void badDate_data();
    void badDate();
};

void tst_jetsql::translate_data() {
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("category")
        << "SELECT * FROM qDisplay  WHERE ( Types.TypeID=2 OR Types.TypeID=5)"
        << "SELECT * FROM qDisplay  WHERE ( TypeID=2 OR TypeID=5)";
    QTest::newRow("search example")
        << "SELECT * FROM qDisplay  WHERE ( Types.TypeID=1 OR Types.TypeID=4) AND ( Instr(Name,'it''s')>0 OR "
           "Instr(Content,'it''s')>0) AND (DateAdded>='1/1/2002') ORDER BY Name"
        << "SELECT * FROM qDisplay  WHERE ( TypeID=1 OR TypeID=4) AND ( jet_instr(Name,'it''s')>0 OR "
           "jet_instr(Content,'it''s')>0) AND (DateAdded>='2002-01-01 00:00:00') ORDER BY Name COLLATE jet_text";
    QTest::newRow("to date with time")
        << "SELECT * FROM qDisplay  WHERE ( Types.TypeID=1) AND (DateAdded<='1/19/2002 3:04:05 PM')"
        << "SELECT * FROM qDisplay  WHERE ( TypeID=1) AND (DateAdded<='2002-01-19 15:04:05')";
    QTest::newRow("order by date untouched")
        << "SELECT * FROM qDisplay  WHERE ( Types.TypeID=3) ORDER BY DateAdded"
        << "SELECT * FROM qDisplay  WHERE ( TypeID=3) ORDER BY DateAdded";
    QTest::newRow("types table keeps its name")
        << "SELECT * FROM Types ORDER BY TypeID" << "SELECT * FROM Types ORDER BY TypeID";
    QTest::newRow("insert date by position")
        << "INSERT INTO Code (TypeID,Name,Description,DateAdded,Source,Content) VALUES(4,'a,''b','1/1/2002',"
           "'1/19/2002 3:04:05 PM','1/1/2002','x')"
        << "INSERT INTO Code (TypeID,Name,Description,DateAdded,Source,Content) VALUES(4,'a,''b','1/1/2002',"
           "'2002-01-19 15:04:05','1/1/2002','x')";
    // Literals reach the store exactly as written, whatever they look like.
    QTest::newRow("literal with keywords")
        << "UPDATE Code SET Content='Types.TypeID Instr(x) DateAdded>=''1/1/2002'' -- ; ORDER BY Name' WHERE ID=3"
        << "UPDATE Code SET Content='Types.TypeID Instr(x) DateAdded>=''1/1/2002'' -- ; ORDER BY Name' WHERE ID=3";
    QTest::newRow("search for a date text")
        << "SELECT * FROM qDisplay  WHERE ( Types.TypeID=1) AND ( Instr(Content,'DateAdded>=''1/1/2002''')>0)"
        << "SELECT * FROM qDisplay  WHERE ( TypeID=1) AND ( jet_instr(Content,'DateAdded>=''1/1/2002''')>0)";
    QTest::newRow("max") << "SELECT Max(ID) FROM Code" << "SELECT Max(ID) FROM Code";
    QTest::newRow("update date") << "UPDATE Code SET DateAdded = '2003-04-05' WHERE ID=1"
                                 << "UPDATE Code SET DateAdded = '2003-04-05 00:00:00' WHERE ID=1";
    QTest::newRow("unclosed literal kept") << "SELECT 'abc" << "SELECT 'abc";
}

void tst_jetsql::translate() {
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(Translate(jet), sqlite);
}

void tst_jetsql::badDate_data() {
    QTest::addColumn<QString>("jet");
    QTest::newRow("search") << "SELECT * FROM qDisplay  WHERE ( Types.TypeID=1) AND (DateAdded>='yesterday')";
    QTest::newRow("injection") << "SELECT * FROM qDisplay  WHERE ( Types.TypeID=1) AND (DateAdded>='x'' OR ''1''=''1')";
    QTest::newRow("insert")
        << "INSERT INTO Code (TypeID,Name,Description,DateAdded,Source,Content) VALUES(1,'n','d','13/45/2002','s','c')";
    QTest::newRow("insert empty")
        << "INSERT INTO Code (TypeID,Name,Description,DateAdded,Source,Content) VALUES(1,'n','d','','s','c')";
}

void tst_jetsql::badDate() {
    QFETCH(QString, jet);
    try {
        Translate(jet);
        QFAIL("a text that is no date was accepted");
    } catch (const store::StoreError& e) {
        QCOMPARE(e.Number(), store::errors::kTypeMismatch);
    }
}

QTEST_GUILESS_MAIN(tst_jetsql)
#include "tst_jetsql.moc"
