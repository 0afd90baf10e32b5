// The sample snippets a new library starts with: every one must fit the boxes
// of the add page, belong to a category every library has, and end its lines as stored.
#include <QDateTime>
#include <QLocale>
#include <QSet>
#include <QStandardPaths>
#include <QTest>

#include "store/samples.h"
#include "testsupport.h"

class tst_samples : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::UseTestEnvironment(); }

    void collection() {
        const QList<store::SampleSnippet> all = store::SampleSnippets();
        QSet<QString> names, categories;
        for (const store::SampleSnippet& s : all) {
            names.insert(s.name);
            categories.insert(s.category);
        }
        QCOMPARE(names.size(), all.size());
        QCOMPARE(categories, (QSet<QString>{QStringLiteral("Modules"), QStringLiteral("Classes"),
                                            QStringLiteral("API Declarations"), QStringLiteral("Functions"),
                                            QStringLiteral("Snippets")}));
    }

    void eachSample_data() {
        QTest::addColumn<int>("index");
        const QList<store::SampleSnippet> all = store::SampleSnippets();
        for (int i = 0; i < all.size(); ++i) QTest::newRow(qPrintable(all.at(i).name)) << i;
    }
    void eachSample() {
        QFETCH(int, index);
        const store::SampleSnippet s = store::SampleSnippets().at(index);
        QVERIFY(!s.name.isEmpty() && s.name.size() <= 50);
        QVERIFY(!s.description.isEmpty() && s.description.size() <= 30);
        QVERIFY(!s.source.isEmpty() && s.source.size() <= 50);
        const QDateTime added = QDateTime::fromString(s.dateAdded, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY2(added.isValid(), qPrintable(s.dateAdded));

        // Lines end with CR LF and nothing else; the last line too.
        QVERIFY(s.content.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(s.content.count(u'\r'), s.content.count(QStringLiteral("\r\n")));
        QCOMPARE(s.content.count(u'\n'), s.content.count(QStringLiteral("\r\n")));
    }
};

QTEST_GUILESS_MAIN(tst_samples)
#include "tst_samples.moc"
