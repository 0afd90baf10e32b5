// Twips, file-dialog filters, shell targets, the program's folders and the
// atomic file writer.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "platform/atomicfile.h"
#include "platform/filefilter.h"
#include "platform/folders.h"
#include "platform/twips.h"
#include "testsupport.h"

using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {


// Removes a file the test put beside the executable, also when the test fails.
struct Planted {
    QString path;
    ~Planted() {
        if (QFileInfo(path).isDir())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }
};

}  // namespace

class TestPlatformServices : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        QVERIFY(dir.isValid());
        QVERIFY(!QFileInfo::exists(platform::ProgramFolder() + QStringLiteral("/Snippary.ini")));
    }

    void twips_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("px");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("below half a pixel") << 7 << 0;
        QTest::newRow("above half a pixel") << 8 << 1;
        QTest::newRow("one pixel") << 15 << 1;
        QTest::newRow("one inch") << 1440 << 96;
        QTest::newRow("minimum width") << 5300 << 353;
        QTest::newRow("minimum height") << 6100 << 407;
        QTest::newRow("negative below half") << -7 << 0;
        QTest::newRow("negative above half") << -8 << -1;
        QTest::newRow("negative inch") << -1440 << -96;
    }
    void twips() {
        QFETCH(int, twips);
        QFETCH(int, px);
        QCOMPARE(platform::TwipsToPx(twips), px);
    }

    void filters_data() {
        QTest::addColumn<QString>("pipes");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("modules")
            << "Module (*.bas)|*.bas|Class (*.cls)|*.cls|All files (*.*)|*.*"
            << QStringList{"Module (*.bas)", "Class (*.cls)", "All files (*)"};
        QTest::newRow("caption without patterns") << "Pages|*.htm;*.html" << QStringList{"Pages (*.htm *.html)"};
        QTest::newRow("caption patterns replaced") << "Libraries (*.mdb)|*.db;*.mdb" << QStringList{"Libraries (*.db *.mdb)"};
        QTest::newRow("caption alone") << "Everything" << QStringList{"Everything (*)"};
        QTest::newRow("pattern alone") << "|*.txt" << QStringList{"*.txt (*.txt)"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void filters() {
        QFETCH(QString, pipes);
        QFETCH(QStringList, qt);
        QCOMPARE(platform::QtFileFilters(pipes), qt);
    }

    void shellTarget_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("web") << "https://vbsnippary.example.org/" << QUrl("https://vbsnippary.example.org/");
        QTest::newRow("mail") << "mailto:ann@example.org" << QUrl("mailto:ann@example.org");
        QTest::newRow("file") << "/opt/snippary/help/index.htm" << QUrl("file:///opt/snippary/help/index.htm");
        QTest::newRow("blank and hash in a path") << "/tmp/my #1.htm" << QUrl::fromLocalFile("/tmp/my #1.htm");
        QTest::newRow("relative path") << "help/index.htm" << QUrl::fromLocalFile(QDir::currentPath() + "/help/index.htm");
        QTest::newRow("colon later in a path") << "/tmp/a:b.htm" << QUrl::fromLocalFile("/tmp/a:b.htm");
    }
    void shellTarget() {
        QFETCH(QString, target);
        QFETCH(QUrl, url);
        QCOMPARE(platform::ShellTarget(target), url);
    }

    void programFolder() {
        const QString folder = platform::ProgramFolder();
        QCOMPARE(folder, QCoreApplication::applicationDirPath());
        QVERIFY(!folder.endsWith(u'/'));
        QVERIFY(QFileInfo(folder + u'/' + QFileInfo(QCoreApplication::applicationFilePath()).fileName()).isFile());
    }

    void installedFolders() {
        QVERIFY(!platform::PortableUse());
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QCOMPARE(platform::SettingsFile(), config + QStringLiteral("/snippary/Snippary.ini"));
        QCOMPARE(platform::AddinFile(), config + QStringLiteral("/snippary/VBADDIN.INI"));
        QCOMPARE(platform::DataFolder(),
                 QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/snippary"));
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(platform::ExportDefaultFolder(), docs.isEmpty() ? QDir::homePath() : docs);
    }

    void portableFolders() {
        const QString pf = platform::ProgramFolder();
        Planted ini{pf + QStringLiteral("/Snippary.ini")};
        QVERIFY(WriteAll(ini.path, "[Snippary]\r\n"));
        QVERIFY(platform::PortableUse());
        QCOMPARE(platform::SettingsFile(), pf + QStringLiteral("/Snippary.ini"));
        QCOMPARE(platform::AddinFile(), pf + QStringLiteral("/VBADDIN.INI"));
        QCOMPARE(platform::ExportDefaultFolder(), pf);
    }

    void folderNamedLikeTheSettingsIsNoPortableUse() {
        Planted folder{platform::ProgramFolder() + QStringLiteral("/Snippary.ini")};
        QVERIFY(QDir().mkpath(folder.path));
        QVERIFY(!platform::PortableUse());
    }

    void helpIndex() {
        const QString pf = platform::ProgramFolder();
        QCOMPARE(platform::HelpIndex(), QDir::cleanPath(pf + QStringLiteral("/../share/snippary/help/index.htm")));
        Planted help{pf + QStringLiteral("/help")};
        QVERIFY(QDir().mkpath(help.path));
        QVERIFY(WriteAll(help.path + QStringLiteral("/index.htm"), "<html></html>"));
        QCOMPARE(platform::HelpIndex(), pf + QStringLiteral("/help/index.htm"));
    }

    void atomicWrite_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("existing");
        QTest::newRow("new file") << "page.htm" << false;
        QTest::newRow("replaced file") << "page.htm" << true;
        QTest::newRow("new folders") << "x/y/page.htm" << false;
    }
    void atomicWrite() {
        QFETCH(QString, name);
        QFETCH(bool, existing);
        QTemporaryDir here;
        const QString path = here.filePath(name);
        if (existing) QVERIFY(WriteAll(path, QByteArray(10000, 'o')));
        QString error;
        QVERIFY2(platform::WriteFileAtomically(path, "<html>\r\n</html>\r\n", &error), qPrintable(error));
        QCOMPARE(ReadAll(path), QByteArray("<html>\r\n</html>\r\n"));
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{QStringLiteral("page.htm")});
    }

    void atomicWriteKeepsALinkedFile() {
        // A settings file kept elsewhere and linked into place stays linked.
        QTemporaryDir here;
        const QString real = here.filePath(QStringLiteral("real.ini"));
        const QString link = here.filePath(QStringLiteral("Snippary.ini"));
        QVERIFY(WriteAll(real, "old"));
        QVERIFY(QFile::link(real, link));
        QVERIFY(platform::WriteFileAtomically(link, "new"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadAll(real), QByteArray("new"));
    }

    void atomicWriteRefusals_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("parent is a file") << "file/page.htm";
        QTest::newRow("no name") << "";
    }
    void atomicWriteRefusals() {
        QFETCH(QString, name);
        QTemporaryDir here;
        QVERIFY(QDir(here.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(WriteAll(here.filePath(QStringLiteral("file")), "keep"));
        QString error;
        QVERIFY(!platform::WriteFileAtomically(name.isEmpty() ? QString() : here.filePath(name), "new", &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadAll(here.filePath(QStringLiteral("file"))), QByteArray("keep"));
        QVERIFY(QFileInfo(here.filePath(QStringLiteral("folder"))).isDir());
        QCOMPARE(QDir(here.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("file")});
    }
};

QTEST_GUILESS_MAIN(TestPlatformServices)
#include "tst_platformservices.moc"
