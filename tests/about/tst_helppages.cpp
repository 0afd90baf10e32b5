// The help pages: every link leads to a page that is there, every page is
// reachable from the contents, and each page is plain, script-free UTF-8.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QtTest>

namespace {

const QString HelpFolder = QStringLiteral(SNIPPARY_HELP_FOLDER);

QString ReadPage(const QString& path, bool* utf8 = nullptr) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    const QByteArray bytes = f.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (utf8 != nullptr) *utf8 = !decoder.hasError();
    return text;
}

// The href and src values of a page.
QStringList Links(const QString& page) {
    static const QRegularExpression attr(QStringLiteral("\\b(?:href|src)\\s*=\\s*\"([^\"]*)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (auto it = attr.globalMatch(page); it.hasNext();) out << it.next().captured(1);
    return out;
}

// The anchors a page offers to "#name" links.
QSet<QString> Anchors(const QString& page) {
    static const QRegularExpression attr(QStringLiteral("\\b(?:id|name)\\s*=\\s*\"([^\"]*)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    QSet<QString> out;
    for (auto it = attr.globalMatch(page); it.hasNext();) out.insert(it.next().captured(1));
    return out;
}

QStringList Pages() {
    return QDir(HelpFolder).entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

}  // namespace

class tst_helppages : public QObject {
    Q_OBJECT

private slots:
    void contentsPage() {
        QVERIFY(QFileInfo(HelpFolder + QStringLiteral("/index.htm")).isFile());
        QVERIFY(Pages().size() > 1);
    }

    void page_data() {
        QTest::addColumn<QString>("file");
        for (const QString& p : Pages()) QTest::newRow(qPrintable(p)) << p;
    }
    void page() {
        QFETCH(QString, file);
        bool utf8 = false;
        const QString text = ReadPage(HelpFolder + QLatin1Char('/') + file, &utf8);
        QVERIFY(utf8);
        QVERIFY(text.contains(QStringLiteral("<meta charset=\"utf-8\">"), Qt::CaseInsensitive));
        QVERIFY(!text.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
    }

    void links_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("link");
        for (const QString& p : Pages())
            for (const QString& l : Links(ReadPage(HelpFolder + QLatin1Char('/') + p)))
                QTest::newRow(qPrintable(p + QStringLiteral(" -> ") + l)) << p << l;
    }
    void links() {
        QFETCH(QString, file);
        QFETCH(QString, link);
        const QUrl url(link);
        QVERIFY2(url.scheme().isEmpty() && !link.startsWith(QLatin1Char('/')), "links stay inside the help folder");
        const QString path = url.path();
        const QString target = path.isEmpty() ? file : path;
        const QFileInfo info(QDir(HelpFolder).filePath(target));
        QVERIFY2(info.isFile(), qPrintable(info.filePath()));
        QVERIFY2(info.canonicalFilePath().startsWith(QFileInfo(HelpFolder).canonicalFilePath() + QLatin1Char('/')),
                 "links stay inside the help folder");
        if (url.hasFragment())
            QVERIFY2(Anchors(ReadPage(info.filePath())).contains(url.fragment()), qPrintable(url.fragment()));
    }

    // Every page can be reached from the contents by following links.
    void reachable() {
        QSet<QString> seen{QStringLiteral("index.htm")};
        QStringList todo{QStringLiteral("index.htm")};
        while (!todo.isEmpty()) {
            const QString p = todo.takeFirst();
            for (const QString& l : Links(ReadPage(HelpFolder + QLatin1Char('/') + p))) {
                const QString path = QUrl(l).path();
                if (path.isEmpty() || seen.contains(path)) continue;
                seen.insert(path);
                todo << path;
            }
        }
        for (const QString& p : Pages()) QVERIFY2(seen.contains(p), qPrintable(p + QStringLiteral(" is not linked")));
    }
};

QTEST_GUILESS_MAIN(tst_helppages)
#include "tst_helppages.moc"
