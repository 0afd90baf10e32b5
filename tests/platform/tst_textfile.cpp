// Module files read as text: encodings, line ends and refusals.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

#include "platform/codepage.h"
#include "platform/textfile.h"
#include "testsupport.h"

using testsupport::WriteAll;

class tst_textfile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        QVERIFY(dir.isValid());
    }

    void fromBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("content");
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("LF only file") << QByteArray("A\nB\n") << "A\nB\n\r\n";
        QTest::newRow("one line end") << QByteArray("\r\n") << "\r\n";
        QTest::newRow("empty lines kept") << QByteArray("A\r\n\r\n\rB") << "A\r\n\r\n\r\nB\r\n";
        QTest::newRow("LF CR") << QByteArray("A\n\rB") << "A\n\r\nB\r\n";
        QTest::newRow("UTF-8 mark removed")
            << QByteArray("\xEF\xBB\xBF' \xE2\x82\xAC\r\n") << QString::fromUtf8("' \xE2\x82\xAC\r\n");
        QTest::newRow("mark alone") << QByteArray("\xEF\xBB\xBF") << "";
        QTest::newRow("second mark is content")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx") << QString(QChar(0xFEFF)) + QStringLiteral("x\r\n");
        QTest::newRow("code page: euro and smart quotes")
            << QByteArray("s = \x93\x80 5\x94 \x85 \x91it\x92s\x97\r\n")
            << QString::fromUtf8(
                   "s = \xE2\x80\x9C\xE2\x82\xAC 5\xE2\x80\x9D \xE2\x80\xA6 "
                   "\xE2\x80\x98it\xE2\x80\x99s\xE2\x80\x94\r\n");
        QTest::newRow("code page: Latin-1 range")
            << QByteArray("' Caf\xE9 \xFC\xDF\r\n") << QString::fromUtf8("' Caf\xC3\xA9 \xC3\xBC\xC3\x9F\r\n");
        QTest::newRow("broken UTF-8 read as code page")
            << QByteArray("\xC3\xA9 \xC3") << QString::fromUtf8("\xC3\x83\xC2\xA9 \xC3\x83\r\n");
        QTest::newRow("encoded surrogate is no UTF-8")
            << QByteArray("\xED\xA0\x80") << QString::fromUtf8("\xC3\xAD\xC2\xA0\xE2\x82\xAC\r\n");
    }
    void fromBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, content);
        const platform::ModuleText t = platform::ModuleTextFromBytes(bytes);
        QVERIFY(t.ok);
        QCOMPARE(t.content, content);
        QVERIFY(t.error.isEmpty());
    }

    void codePageRoundTrip() {
        QByteArray all;
        for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
        const QString text = platform::DecodeWindows1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(platform::EncodeWindows1252(text), std::optional<QByteArray>(all));
        QVERIFY(!platform::EncodeWindows1252(QString::fromUtf8("\xE2\x86\x92")).has_value());
    }

    void refusals_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing") << "none.bas"
                                 << "The file %1 does not exist.";
        QTest::newRow("folder") << "sub"
                                << "%1 is a folder, not a file.";
        QTest::newRow("device") << "/dev/zero"
                                << "%1 is not a regular file.";
        QTest::newRow("binary") << "bin.bas"
                                << "The file %1 is not a text file (it holds NUL bytes).";
    }
    void refusals() {
        QFETCH(QString, name);
        QFETCH(QString, error);
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub")));
        QVERIFY(WriteAll(dir.filePath(QStringLiteral("bin.bas")), QByteArray("\x01\0\x02", 3)));
        const QString path = QDir::isAbsolutePath(name) ? name : dir.filePath(name);
        const platform::ModuleText t = platform::ReadModuleFile(path);
        QVERIFY(!t.ok);
        QVERIFY(t.content.isEmpty());
        QCOMPARE(t.error, error.arg(path));
    }

    void unreadableRefused() {
        if (geteuid() == 0) QSKIP("the superuser reads every file");
        const QString path = dir.filePath(QStringLiteral("locked.bas"));
        QVERIFY(WriteAll(path, "Sub A()\r\n"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        const platform::ModuleText t = platform::ReadModuleFile(path);
        QVERIFY(!t.ok);
        QVERIFY(t.error.startsWith(QStringLiteral("The file %1 cannot be read").arg(path)));
    }

    void tooLargeRefusedWhole() {
        const QString path = dir.filePath(QStringLiteral("huge.bas"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(64LL * 1024 * 1024 + 1));  // sparse: costs no disk
        }
        const platform::ModuleText t = platform::ReadModuleFile(path);
        QVERIFY(!t.ok);
        QVERIFY(t.content.isEmpty());
        QCOMPARE(t.error, QStringLiteral("The file %1 is too large to be a module (more than 64 MB).").arg(path));
        QFile::remove(path);
    }
};

QTEST_GUILESS_MAIN(tst_textfile)
#include "tst_textfile.moc"
