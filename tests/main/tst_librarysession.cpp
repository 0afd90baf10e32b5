// The open library without the window, where the window's own tests cannot reach: a search
// text that does not parse lists nothing, and a snippet saved as the viewer showed it keeps its
// stored line ends byte for byte.
#include <QtTest>

#include "main/librarysession.h"
#include "store/statements.h"
#include "testlibrary.h"
#include "testsupport.h"

class tst_librarysession : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }

    void listAndSave() {
        testsupport::TempLibrary lib;
        lib.con.Execute(store::stmt::InsertCode(1, "b", "", "2/1/2002", "", "one\nlone\r\nline"));
        snippary::LibrarySession s;
        s.Open(lib.path, QString());
        s.Tick({1});
        const auto rows = s.List();
        QCOMPARE(rows.size(), size_t(1));
        s.Show(rows[0], s.ReadContent(rows[0].id).value_or("<gone>"));
        QCOMPARE(s.SaveShown(s.shownContent.boxPlain), snippary::LibrarySession::Saved::Yes);
        QCOMPARE(lib.Value("SELECT Content FROM Code"), QString("one\nlone\r\nline"));
        s.sFind = " AND (";
        QVERIFY(s.List().empty());
    }
};

QTEST_GUILESS_MAIN(tst_librarysession)
#include "tst_librarysession.moc"
