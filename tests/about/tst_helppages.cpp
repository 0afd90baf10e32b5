// The help pages: every link leads to a page that is there, every page is
// reachable from the contents, and the markup is small, closed and self-contained.
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

// Empty when every element is closed in the right order; else the first fault.
QString NestingFault(const QString& page) {
    static const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z][a-zA-Z0-9]*)[^>]*>"));
    static const QSet<QString> empty = {"meta", "br", "hr", "img", "link", "input"};
    QStringList open;
    for (auto it = tag.globalMatch(page); it.hasNext();) {
        const auto m = it.next();
        const QString name = m.captured(2).toLower();
        if (empty.contains(name)) continue;
        if (m.captured(1).isEmpty()) {
            open << name;
        } else if (open.isEmpty() || open.last() != name) {
            return QStringLiteral("</%1> closes <%2>").arg(name, open.isEmpty() ? QString() : open.last());
        } else {
            open.removeLast();
        }
    }
    return open.isEmpty() ? QString() : QStringLiteral("<%1> never closed").arg(open.join(QStringLiteral("> <")));
}

QStringList Pages() {
    return QDir(HelpFolder).entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

}  // namespace

class TestHelpPages : public QObject {
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
        QVERIFY(text.startsWith(QStringLiteral("<!DOCTYPE html>")));
        QVERIFY(QRegularExpression(QStringLiteral("<title>[^<]+</title>")).match(text).hasMatch());
        QVERIFY(!text.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
        const QString fault = NestingFault(text);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
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

QTEST_GUILESS_MAIN(TestHelpPages)
#include "tst_helppages.moc"
