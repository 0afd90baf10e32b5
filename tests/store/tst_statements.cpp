// The statement texts and the connection string, exactly as the program issues them.
#include <QtTest>

#include "store/connectionstring.h"
#include "store/statements.h"
#include "store/store.h"

using namespace store;

class tst_statements : public QObject {
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void find_data();
    void find();
    void order();
    void exportQuery_data();
    void exportQuery();
    void connectionString_data();
    void connectionString();
    void badConnectionString_data();
    void badConnectionString();
};

void tst_statements::texts_data() {
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    QTest::newRow("quote") << SqlQuote("O'Brien's") << "O''Brien''s";
    QTest::newRow("quote none") << SqlQuote("say \"hi\" \\n") << "say \"hi\" \\n";
    QTest::newRow("1") << stmt::SelectTypes() << "SELECT * FROM Types ORDER BY TypeID";
    QTest::newRow("2 two categories") << stmt::SelectDisplay(BuildWhere({2, 5}), "", "")
                                      << "SELECT * FROM qDisplay  WHERE ( Types.TypeID=2 OR Types.TypeID=5)";
    QTest::newRow("2 sorted") << stmt::SelectDisplay(BuildWhere({3}), "", OrderForColumn(4, ""))
                              << "SELECT * FROM qDisplay  WHERE ( Types.TypeID=3) ORDER BY DateAdded";
    QTest::newRow("where none") << BuildWhere({}) << "";
    QTest::newRow("3") << stmt::SelectContent(12) << "SELECT Content FROM Code WHERE ID=12";
    QTest::newRow("4") << stmt::UpdateContent(7, "a'b") << "UPDATE Code SET Content='a''b' WHERE ID=7";
    QTest::newRow("5") << stmt::UpdateDescription(12, "it's") << "UPDATE Code SET Description='it''s' WHERE ID=12";
    QTest::newRow("6") << stmt::UpdateSource(-3, "") << "UPDATE Code SET Source='' WHERE ID=-3";
    QTest::newRow("7") << stmt::DeleteCode(1234567890123) << "DELETE FROM Code WHERE ID=1234567890123";
    QTest::newRow("8") << stmt::InsertType("Bob's") << "INSERT INTO Types(TypeName) VALUES('Bob''s')";
    QTest::newRow("9") << stmt::DeleteTypeByName("Bob's") << "DELETE FROM Types WHERE TypeName='Bob''s'";
    QTest::newRow("10") << stmt::DeleteCodeOfType(6) << "DELETE FROM Code WHERE TypeID=6";
    QTest::newRow("11") << stmt::InsertCode(4, "n'1", "d'", "1/19/2002 3:04:05 PM", "s'", "a'\r\nb")
                        << "INSERT INTO Code (TypeID,Name,Description,DateAdded,Source,Content) "
                           "VALUES(4,'n''1','d''','1/19/2002 3:04:05 PM','s''','a''\r\nb')";
    QTest::newRow("12") << stmt::SelectMaxId() << "SELECT Max(ID) FROM Code";
}

void tst_statements::texts() {
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void tst_statements::find_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<bool>>("columns");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("expected");
    QTest::newRow("all four") << "x" << QList<bool>{true, true, true, true} << ""
                              << ""
                              << " AND ( Instr(Name,'x')>0 OR Instr(Description,'x')>0 OR Instr(Source,'x')>0"
                                 " OR Instr(Content,'x')>0)";
    QTest::newRow("from only") << "" << QList<bool>{true, true, true, true} << "1/1/2002"
                               << ""
                               << " AND (DateAdded>='1/1/2002')";
    QTest::newRow("both dates") << "" << QList<bool>{false, true, false, false} << "1/1/2002"
                                << "2/1/2002"
                                << " AND (DateAdded>='1/1/2002') AND (DateAdded<='2/1/2002')";
    QTest::newRow("spaces count") << " " << QList<bool>{false, false, true, false} << ""
                                  << ""
                                  << " AND ( Instr(Source,' ')>0)";
    // No column ticked: the word part would not parse, so it is left out.
    QTest::newRow("no column") << "x" << QList<bool>{false, false, false, false} << ""
                               << "3/1/2002"
                               << " AND (DateAdded<='3/1/2002')";
    QTest::newRow("nothing") << "" << QList<bool>{true, true, true, true} << ""
                             << ""
                             << "";
}

void tst_statements::find() {
    QFETCH(QString, text);
    QFETCH(QList<bool>, columns);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, expected);
    const std::array<bool, 4> c = {columns[0], columns[1], columns[2], columns[3]};
    QCOMPARE(BuildFind(text, c, from, to), expected);
}

void tst_statements::order() {
    const QStringList expected = {" ORDER BY Name", " ORDER BY TypeName", " ORDER BY Description",
                                  " ORDER BY DateAdded", " ORDER BY Source"};
    for (int c = 1; c <= 5; ++c) QCOMPARE(OrderForColumn(c, " ORDER BY X"), expected[c - 1]);
    QCOMPARE(OrderForColumn(0, " ORDER BY Source"), QString(" ORDER BY Source"));
    QCOMPARE(OrderForColumn(6, ""), QString());
    // The example query of a search inside two categories, sorted by name.
    const std::array<bool, 4> c = {true, false, false, true};
    QCOMPARE(stmt::SelectDisplay(BuildWhere({1, 4}), BuildFind("it's", c, "1/1/2002", ""), OrderForColumn(1, "")),
             QString("SELECT * FROM qDisplay  WHERE ( Types.TypeID=1 OR Types.TypeID=4) AND ( Instr(Name,'it''s')>0"
                     " OR Instr(Content,'it''s')>0) AND (DateAdded>='1/1/2002') ORDER BY Name"));
}

void tst_statements::exportQuery_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("expected");
    QTest::newRow("categories")
        << " WHERE ( Types.TypeID=1)"
        << " AND (DateAdded>='1/1/2002')"
        << "SELECT * FROM qDisplay  WHERE ( Types.TypeID=1) AND (DateAdded>='1/1/2002') ORDER BY Name";
    QTest::newRow("search alone") << ""
                                  << " AND ( Instr(Name,'x')>0)"
                                  << "SELECT * FROM qDisplay  WHERE ( Instr(Name,'x')>0) ORDER BY Name";
    QTest::newRow("nothing") << ""
                             << ""
                             << "SELECT * FROM qDisplay  ORDER BY Name";
}

void tst_statements::exportQuery() {
    QFETCH(QString, where);
    QFETCH(QString, find);
    QFETCH(QString, expected);
    QCOMPARE(ExportQuery(where, find, " ORDER BY Name"), expected);
}

void tst_statements::connectionString_data() {
    QTest::addColumn<int>("provider");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");
    QTest::newRow("3.51 no password")
        << 0 << "/home/u/lib.snip"
        << ""
        << "Provider=Microsoft.Jet.OLEDB.3.51;Data Source=/home/u/lib.snip;Persist Security Info=False;";
    QTest::newRow("4.0 password") << 1 << "/a b/lib.snip"
                                  << "s3cret"
                                  << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a b/lib.snip;Persist Security "
                                     "Info=False;Jet OLEDB:Database Password=s3cret";
    QTest::newRow("semicolon quoted") << 0 << "/x;y.snip"
                                      << "p;\"w"
                                      << "Provider=Microsoft.Jet.OLEDB.3.51;Data Source=\"/x;y.snip\";Persist Security "
                                         "Info=False;Jet OLEDB:Database Password=\"p;\"\"w\"";
    QTest::newRow("server") << 2 << "postgresql://ann@db/snippets?sslmode=verify-full"
                            << "pw"
                            << "Provider=PostgreSQL;Data Source=postgresql://ann@db/snippets?sslmode=verify-full;"
                               "Persist Security Info=False;Jet OLEDB:Database Password=pw";
}

void tst_statements::connectionString() {
    QFETCH(int, provider);
    QFETCH(QString, path);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    ConnectionString cs;
    cs.provider = ConnectionString::Provider(provider);
    cs.dataSource = path;
    cs.password = password;
    QCOMPARE(cs.Build(), expected);
    const ConnectionString back = ConnectionString::Parse(expected);
    QCOMPARE(int(back.provider), provider);
    QCOMPARE(back.dataSource, path);
    QCOMPARE(back.password, password);
}

void tst_statements::badConnectionString_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("unknown provider") << "Provider=SQLOLEDB;Data Source=x" << 3706;
    QTest::newRow("no provider") << "Data Source=x" << 3001;
    QTest::newRow("open quote") << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"x" << 3001;
    QTest::newRow("no equals") << "Provider=Microsoft.Jet.OLEDB.4.0;junk" << 3001;
}

void tst_statements::badConnectionString() {
    QFETCH(QString, text);
    QFETCH(int, number);
    try {
        ConnectionString::Parse(text);
        QFAIL("accepted");
    } catch (const StoreError& e) {
        QCOMPARE(int(e.Number()), number);
    }
}

QTEST_GUILESS_MAIN(tst_statements)
#include "tst_statements.moc"
