// The sample snippets a new library starts with: every one must fit the boxes
// of the add page, belong to a category every library has, have a name of its own,
// and end its lines as stored.
#include <QtTest>

#include "store/samples.h"

class tst_samples : public QObject {
    Q_OBJECT
private slots:
    void collection() {
        QSet<QString> names, categories;
        for (const store::SampleSnippet& s : store::SampleSnippets()) {
            names.insert(s.name);
            categories.insert(s.category);
            QVERIFY2(s.name.size() <= 50 && s.description.size() <= 30 && s.source.size() <= 50, qPrintable(s.name));
            QVERIFY2(!s.name.isEmpty() && !s.description.isEmpty() && !s.source.isEmpty(), qPrintable(s.name));
            QVERIFY2(QDateTime::fromString(s.dateAdded, "yyyy-MM-dd HH:mm:ss").isValid(), qPrintable(s.dateAdded));
            // Lines end with CR LF and nothing else; the last line too.
            QVERIFY2(s.content.endsWith("\r\n") && s.content.count(u'\r') == s.content.count("\r\n") &&
                         s.content.count(u'\n') == s.content.count("\r\n"),
                     qPrintable(s.name));
        }
        QCOMPARE(names.size(), store::SampleSnippets().size());  // each its own name
        QCOMPARE(categories, QSet<QString>({"Modules", "Classes", "API Declarations", "Functions", "Snippets"}));
    }
};

QTEST_GUILESS_MAIN(tst_samples)
#include "tst_samples.moc"
