// The sample snippets a new library starts with: every one must fit the boxes
// of the add page and read like a file the editor writes.
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTest>

#include "store/samples.h"
#include "testsupport.h"

class TestSamples : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
    }

    void collection() {
        const QList<store::SampleSnippet> all = store::SampleSnippets();
        QVERIFY(all.size() >= 18 && all.size() <= 25);
        QSet<QString> names, categories, years;
        bool apostropheInString = false;
        for (const store::SampleSnippet& s : all) {
            names.insert(s.name);
            categories.insert(s.category);
            years.insert(s.dateAdded.left(4));
            // An apostrophe inside a string literal: the quoting of statements meets it.
            static const QRegularExpression literal(QStringLiteral("\"[^\"\\r\\n]*'[^\"\\r\\n]*\""));
            if (literal.match(s.content).hasMatch()) apostropheInString = true;
        }
        QCOMPARE(names.size(), all.size());
        QCOMPARE(categories, (QSet<QString>{QStringLiteral("Modules"), QStringLiteral("Classes"),
                                            QStringLiteral("API Declarations"), QStringLiteral("Functions"),
                                            QStringLiteral("Snippets")}));
        QVERIFY(years.size() >= 4);
        QVERIFY(apostropheInString);
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
        QVERIFY(added.date().year() >= 1998 && added.date() <= QDate(2026, 1, 1));

        // Lines end with CR LF and nothing else; the last line too.
        QVERIFY(s.content.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(s.content.count(u'\r'), s.content.count(QStringLiteral("\r\n")));
        QCOMPARE(s.content.count(u'\n'), s.content.count(QStringLiteral("\r\n")));
        QVERIFY(!s.content.startsWith(QStringLiteral("\r\n")));
        QVERIFY(!s.content.contains(u'\t'));

        const QString base = s.name.section(u'.', 0, 0);
        if (s.category == u"Modules") {
            QVERIFY(s.name.endsWith(QStringLiteral(".bas")));
            QVERIFY(s.content.startsWith(QStringLiteral("Attribute VB_Name = \"%1\"\r\n").arg(base)));
        } else if (s.category == u"Classes") {
            QVERIFY(s.name.endsWith(QStringLiteral(".cls")));
            QVERIFY(s.content.startsWith(QStringLiteral("VERSION 1.0 CLASS\r\nBEGIN\r\n")));
            QVERIFY(s.content.contains(QStringLiteral("\r\nEND\r\nAttribute VB_Name = \"%1\"\r\n").arg(base)));
        } else if (s.category == u"API Declarations") {
            const QRegularExpression declare(QStringLiteral("Declare (Function|Sub) %1 Lib \"").arg(s.name));
            QVERIFY(declare.match(s.content).hasMatch());
        }
        // Every procedure that opens is closed.
        static const QRegularExpression opens(QStringLiteral("^(Public |Private )?(Sub|Function|Property \\w+) "),
                                              QRegularExpression::MultilineOption);
        static const QRegularExpression closes(QStringLiteral("^End (Sub|Function|Property)\\r?$"),
                                               QRegularExpression::MultilineOption);
        QCOMPARE(s.content.count(opens), s.content.count(closes));
    }
};

QTEST_GUILESS_MAIN(TestSamples)
#include "tst_samples.moc"
