// The exported page as a real browser reads it: headless Chromium renders the page
// and prints its document; code and names must come out as text, never as markup,
// and of a size a reader can see. Skipped where no Chromium is installed.
#include <QtTest>

#include "export/htmlwriter.h"
#include "testlibrary.h"
#include "store/statements.h"
#include "testsupport.h"

class tst_htmlbrowser : public QObject {
    Q_OBJECT
private slots:
    void codeStaysText() {
        QString browser;
        for (const char* name : {"chromium", "chromium-browser", "google-chrome"})
            if (browser.isEmpty()) browser = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (browser.isEmpty()) QSKIP("no Chromium installed");

        testsupport::TempLibrary lib;
        lib.con.Execute(store::stmt::InsertCode(1, "<script>document.title='owned'</script>", "", "1/1/2002", "",
                                                "If a<b And c>d Then x = \"&amp;\" ' it's <b>not bold</b>\r\n"
                                                "MsgBox \"é € Кириллица\"\r\n"
                                                "<img src=x onerror=\"document.title='owned'\">"));
        const QString page = lib.dir.filePath("page.htm");
        exporting::ExportOptions o;  // no content font chosen, as on a first start
        o.colors = o.numbered = true;
        exporting::WriteHtmlPage(lib.con, store::ExportQuery("", "", ""), o, page);
        // The page, made to write the sizes the browser gives its text into the document.
        QByteArray copy = testsupport::ReadAll(page);
        copy.replace("</BODY>",
                     "<script>document.body.dataset.sizes = [...document.querySelectorAll('li, a')]"
                     ".map(e => parseFloat(getComputedStyle(e).fontSize)).join(' '); document.currentScript.remove();"
                     "</script></BODY>");
        QVERIFY(testsupport::WriteAll(page, copy));

        QProcess chromium;
        chromium.start(browser,
                       {"--headless", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + lib.dir.filePath("profile"),
                        "--dump-dom", QUrl::fromLocalFile(page).toString()});
        QVERIFY(chromium.waitForFinished(120000));
        const QString dom = QString::fromUtf8(chromium.readAllStandardOutput());
        QVERIFY2(!dom.isEmpty(), chromium.readAllStandardError().constData());

        // No element came from the snippet: its markup is text in the document.
        for (const char* markup : {"<script", "<img", "<b>", "owned</title>"})
            QVERIFY2(!dom.contains(markup, Qt::CaseInsensitive), markup);
        // The text itself, as the reader sees it (the dump escapes it once more); the colouring
        // is markup the browser did take as elements.
        for (const QString& text :
             {QString("&lt;script&gt;document.title='owned'&lt;/script&gt;"), QString("a&lt;b"), QString("c&gt;d"),
              QString("\"&amp;amp;\""), QString("&lt;b&gt;not bold&lt;/b&gt;"), QString::fromUtf8("é € Кириллица"),
              QString("<span class=\"keyword\">If</span>"), QString("<span class=\"comment\">' it's")})
            QVERIFY2(dom.contains(text), qPrintable(text));
        // The contents, the links and the titles: every one has a size.
        const QRegularExpressionMatch sizes = QRegularExpression("data-sizes=\"([^\"]+)\"").match(dom);
        QVERIFY2(sizes.hasMatch(), qPrintable(dom.left(2000)));
        const QStringList each = sizes.captured(1).split(u' ');
        QVERIFY(each.size() >= 4);  // the contents' item and link, the section's item and link
        for (const QString& size : each) QVERIFY2(size.toDouble() > 0, qPrintable(sizes.captured(1)));
    }
};

QTEST_GUILESS_MAIN(tst_htmlbrowser)
#include "tst_htmlbrowser.moc"
