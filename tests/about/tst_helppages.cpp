// The help pages: every page is reachable from the contents, each is plain,
// script-free UTF-8, and every link leads to a page (and anchor) inside the folder.
#include <QtTest>

namespace {

const QString HelpFolder = QStringLiteral(SNIPPARY_HELP_FOLDER);

// A page's text; empty when it cannot be read or is no UTF-8.
QString ReadPage(const QString& path) {
    QFile f(path);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = f.open(QIODevice::ReadOnly) ? decoder.decode(f.readAll()) : QString();
    return decoder.hasError() ? QString() : text;
}

// The values of `attributes` (href|src, id|name) in a page.
QStringList Values(const QString& page, const QString& attributes) {
    const QRegularExpression attr("\\b(?:" + attributes + ")\\s*=\\s*\"([^\"]*)\"",
                                  QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (auto it = attr.globalMatch(page); it.hasNext();) out << it.next().captured(1);
    return out;
}

}  // namespace

class tst_helppages : public QObject {
    Q_OBJECT

private slots:
    void pages() {
        const QString inside = QFileInfo(HelpFolder).canonicalFilePath() + QLatin1Char('/');
        QSet<QString> seen{QStringLiteral("index.htm")};
        QStringList todo{QStringLiteral("index.htm")};
        while (!todo.isEmpty()) {
            const QString file = todo.takeFirst();
            const QString text = ReadPage(HelpFolder + QLatin1Char('/') + file);
            QVERIFY2(!text.isEmpty(), qPrintable(file));
            QVERIFY2(text.contains("<meta charset=\"utf-8\">", Qt::CaseInsensitive), qPrintable(file));
            QVERIFY2(!text.contains("<script", Qt::CaseInsensitive), qPrintable(file));
            for (const QString& link : Values(text, "href|src")) {
                const QUrl url(link);
                const QString why = file + " -> " + link;
                QVERIFY2(url.scheme().isEmpty() && !link.startsWith(QLatin1Char('/')), qPrintable(why));
                const QFileInfo info(QDir(HelpFolder).filePath(url.path().isEmpty() ? file : url.path()));
                QVERIFY2(info.isFile() && info.canonicalFilePath().startsWith(inside), qPrintable(why));
                if (url.hasFragment())
                    QVERIFY2(Values(ReadPage(info.filePath()), "id|name").contains(url.fragment()), qPrintable(why));
                if (!url.path().contains(".htm") || seen.contains(url.path())) continue;  // pages only
                seen.insert(url.path());
                todo << url.path();
            }
        }
        const QStringList all = QDir(HelpFolder).entryList({"*.htm", "*.html"}, QDir::Files, QDir::Name);
        QVERIFY(all.size() > 1);
        for (const QString& p : all) QVERIFY2(seen.contains(p), qPrintable(p + " is not linked"));
    }
};

QTEST_GUILESS_MAIN(tst_helppages)
#include "tst_helppages.moc"
