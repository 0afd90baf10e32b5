// Shell targets, the program's folders and the atomic file writer.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

#include "platform/atomicfile.h"
#include "platform/filefilter.h"
#include "platform/folders.h"
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

// Bytes with no pattern, as an encrypted or compressed file holds them.
QByteArray Noise(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator rng(7);
    for (char& c : bytes) c = static_cast<char>(rng.bounded(256));
    return bytes;
}

// Every file and folder under a folder, hidden ones too, sorted.
QStringList Listing(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) names << QDir(folder).relativeFilePath(it.next());
    names.sort();
    return names;
}

}  // namespace

class tst_platformservices : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        QVERIFY(dir.isValid());
        QVERIFY(!QFileInfo::exists(platform::ProgramFolder() + QStringLiteral("/Snippary.ini")));
    }

    void shellTarget_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("web") << "https://vbsnippary.example.org/" << QUrl("https://vbsnippary.example.org/");
        QTest::newRow("file") << "/opt/snippary/help/index.htm" << QUrl("file:///opt/snippary/help/index.htm");
        QTest::newRow("blank and hash in a path") << "/tmp/my #1.htm" << QUrl::fromLocalFile("/tmp/my #1.htm");
        QTest::newRow("colon later in a path") << "/tmp/a:b.htm" << QUrl::fromLocalFile("/tmp/a:b.htm");
    }
    void shellTarget() {
        QFETCH(QString, target);
        QFETCH(QUrl, url);
        QCOMPARE(platform::ShellTarget(target), url);
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

    // What the writer of every user's file replaces, and what it never does: a
    // refused or failed write leaves every file as it was and nothing beside it.
    void atomicWrite_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("old");  // null: no such file
        QTest::addColumn<bool>("link");       // the name links to the old file
        QTest::addColumn<bool>("written");
        const QByteArray sqlite = QByteArray("SQLite format 3\0\x10\0\x01\x01", 20) + QByteArray(4076, '\0');
        const QByteArray jet = QByteArray("\0\x01\0\0Standard Jet DB\0", 20) + QByteArray(2028, '\0');
        QTest::newRow("new file") << "page.htm" << QByteArray() << false << true;
        QTest::newRow("replaced file") << "page.htm" << QByteArray(10000, 'o') << false << true;
        QTest::newRow("new folders") << "x/y/page.htm" << QByteArray() << false << true;
        QTest::newRow("linked file stays linked") << "Snippary.ini" << QByteArray("old") << true << true;
        QTest::newRow("text of whole pages") << "page.htm" << QByteArray(4096, 'p') << false << true;
        QTest::newRow("noise, not whole pages") << "a.zip" << Noise(4097) << false << true;
        QTest::newRow("target is a folder") << "folder" << QByteArray() << false << false;
        QTest::newRow("parent is a file") << "file/page.htm" << QByteArray() << false << false;
        QTest::newRow("no name") << "" << QByteArray() << false << false;
        QTest::newRow("SQLite library") << "lib.snip" << sqlite << false << false;
        QTest::newRow("link to a library") << "page.htm" << sqlite << true << false;
        QTest::newRow("encrypted library") << "lib.htm" << Noise(8192) << false << false;
        QTest::newRow("rollback journal")
            << "lib.snip-journal" << QByteArray("\xD9\xD5\x05\xF9\x20\xA1\x63\xD7\0", 9) << false << false;
        QTest::newRow("write-ahead log") << "lib.snip-wal" << QByteArray("\x37\x7F\x06\x82\0", 5) << false << false;
        QTest::newRow("Access, Jet") << "old.mdb" << jet << false << false;
        QTest::newRow("Access, ACE") << "old.accdb" << QByteArray(jet).replace("Jet", "ACE") << false << false;
    }
    void atomicWrite() {
        QFETCH(QString, name);
        QFETCH(QByteArray, old);
        QFETCH(bool, link);
        QFETCH(bool, written);
        QTemporaryDir here;
        QVERIFY(QDir(here.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(WriteAll(here.filePath(QStringLiteral("file")), "keep"));
        const QString path = name.isEmpty() ? QString() : here.filePath(name);
        const QString holder = link ? here.filePath(QStringLiteral("elsewhere")) : path;
        if (!old.isNull()) QVERIFY(WriteAll(holder, old) && chmod(QFile::encodeName(holder).constData(), 0640) == 0);
        if (link) QVERIFY(QFile::link(holder, path));
        QStringList files = Listing(here.path());
        if (written)
            for (QString p = name; p != u'.' && !files.contains(p); p = QFileInfo(p).path()) files << p;

        // A replaced file keeps its permissions; a new one gets what the umask allows.
        const mode_t mask = umask(002);
        QString error;
        const QByteArray page = "<html>\r\n</html>\r\n";
        const bool wrote = platform::WriteFileAtomically(path, page, &error);
        umask(mask);
        QCOMPARE(wrote, written);
        QCOMPARE(error.isEmpty(), written);
        QCOMPARE(platform::IsDatabaseFile(path), !written && !old.isNull());
        if (written || !old.isNull()) QCOMPARE(ReadAll(holder), written ? page : old);
        struct stat st {};
        QVERIFY(!written || stat(QFile::encodeName(holder).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, mode_t(!written ? 0 : old.isNull() ? 0664 : 0640));
        QCOMPARE(QFileInfo(path).isSymLink(), link);
        QCOMPARE(ReadAll(here.filePath(QStringLiteral("file"))), QByteArray("keep"));
        files.sort();
        QCOMPARE(Listing(here.path()), files);
    }
};

QTEST_GUILESS_MAIN(tst_platformservices)
#include "tst_platformservices.moc"
