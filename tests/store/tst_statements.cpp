// The statement texts and the connection string, exactly as the program issues them.
#include <QtTest>

#include "store/connectionstring.h"
#include "store/statements.h"

using namespace store;

class tst_statements : public QObject {
    Q_OBJECT
private slots:
    void texts_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& actual, const QString& expected) {
            QTest::newRow(name) << actual << expected;
        };
        row("1", stmt::SelectTypes(), "SELECT * FROM Types ORDER BY TypeID");
        // A search inside two categories, sorted by name.
        row("2 searched",
            stmt::SelectDisplay(BuildWhere({1, 4}), BuildFind("it's", {true, false, false, true}, "1/1/2002", ""),
                                OrderForColumn(1, "")),
            "SELECT * FROM qDisplay  WHERE ( Types.TypeID=1 OR Types.TypeID=4) AND ( Instr(Name,'it''s')>0 OR "
            "Instr(Content,'it''s')>0) AND (DateAdded>='1/1/2002') ORDER BY Name");
        row("where none", BuildWhere({}), "");
        row("3", stmt::SelectContent(12), "SELECT Content FROM Code WHERE ID=12");
        row("4", stmt::UpdateContent(7, "a'b"), "UPDATE Code SET Content='a''b' WHERE ID=7");
        row("5", stmt::UpdateDescription(12, "it's"), "UPDATE Code SET Description='it''s' WHERE ID=12");
        row("6", stmt::UpdateSource(-3, ""), "UPDATE Code SET Source='' WHERE ID=-3");
        row("7", stmt::DeleteCode(1234567890123), "DELETE FROM Code WHERE ID=1234567890123");
        row("8", stmt::InsertType("Bob's"), "INSERT INTO Types(TypeName) VALUES('Bob''s')");
        row("9", stmt::DeleteTypeByName("Bob's"), "DELETE FROM Types WHERE TypeName='Bob''s'");
        row("10", stmt::DeleteCodeOfType(6), "DELETE FROM Code WHERE TypeID=6");
        row("11", stmt::InsertCode(4, "n'1", "d'", "1/19/2002 3:04:05 PM", "s'", "a'\r\nb"),
            "INSERT INTO Code (TypeID,Name,Description,DateAdded,Source,Content) "
            "VALUES(4,'n''1','d''','1/19/2002 3:04:05 PM','s''','a''\r\nb')");
        row("12", stmt::SelectMaxId(), "SELECT Max(ID) FROM Code");
        const char* columns[] = {"Name", "TypeName", "Description", "DateAdded", "Source"};
        for (int c = 1; c <= 5; ++c)
            row(qPrintable(QStringLiteral("order by column %1").arg(c)), OrderForColumn(c, " ORDER BY X"),
                QStringLiteral(" ORDER BY ") + columns[c - 1]);
        row("order kept", OrderForColumn(0, " ORDER BY Source"), " ORDER BY Source");
        row("order none", OrderForColumn(6, ""), "");
        row("export categories",
            ExportQuery(" WHERE ( Types.TypeID=1)", " AND (DateAdded>='1/1/2002')", " ORDER BY Name"),
            "SELECT * FROM qDisplay  WHERE ( Types.TypeID=1) AND (DateAdded>='1/1/2002') ORDER BY Name");
        row("export search alone", ExportQuery("", " AND ( Instr(Name,'x')>0)", " ORDER BY Name"),
            "SELECT * FROM qDisplay  WHERE ( Instr(Name,'x')>0) ORDER BY Name");
        row("export all", ExportQuery("", "", " ORDER BY Name"), "SELECT * FROM qDisplay  ORDER BY Name");
    }
    void texts() {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    // Built and read back; quoted where a path or password holds a semicolon or a quote.
    void connectionString_data() {
        QTest::addColumn<int>("provider");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, int provider, const char* path, const char* password,
                            const QString& text) { QTest::newRow(name) << provider << path << password << text; };
        row("3.51 no password", 0, "/home/u/lib.snip", "",
            "Provider=Microsoft.Jet.OLEDB.3.51;Data Source=/home/u/lib.snip;Persist Security Info=False;");
        row("4.0 password", 1, "/a b/lib.snip", "s3cret",
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a b/lib.snip;Persist Security Info=False;"
            "Jet OLEDB:Database Password=s3cret");
        row("semicolon quoted", 0, "/x;y.snip", "p;\"w",
            "Provider=Microsoft.Jet.OLEDB.3.51;Data Source=\"/x;y.snip\";Persist Security Info=False;"
            "Jet OLEDB:Database Password=\"p;\"\"w\"");
        row("server", 2, "postgresql://ann@db/snippets?sslmode=verify-full", "pw",
            "Provider=PostgreSQL;Data Source=postgresql://ann@db/snippets?sslmode=verify-full;"
            "Persist Security Info=False;Jet OLEDB:Database Password=pw");
    }
    void connectionString() {
        QFETCH(int, provider);
        QFETCH(QString, path);
        QFETCH(QString, password);
        QFETCH(QString, text);
        QCOMPARE((ConnectionString{ConnectionString::Provider(provider), path, password}.Build()), text);
        const ConnectionString back = ConnectionString::Parse(text);
        QCOMPARE(QStringList({QString::number(int(back.provider)), back.dataSource, back.password}),
                 QStringList({QString::number(provider), path, password}));
    }
};

QTEST_GUILESS_MAIN(tst_statements)
#include "tst_statements.moc"
