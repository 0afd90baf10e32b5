// The platform's services: shell targets, the program's folders, the atomic file writer, module
// files read as text, and the Qt dialogs behind the prompts, answered as the callers see them.
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomicfile.h"
#include "platform/filefilter.h"
#include "platform/folders.h"
#include "platform/textfile.h"
#include "platform/ui/captionfit.h"
#include "platform/ui/qtprompts.h"
#include "testsupport.h"

using platform::Prompts;
using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

// Every file and folder under a folder, hidden ones too, sorted.
QStringList Listing(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) names << QDir(folder).relativeFilePath(it.next());
    names.sort();
    return names;
}

const QString kTitle = QStringLiteral("VBSnippary, the library of code snippets");

// Whether the dialog shows the title, and is wide enough for its title bar to show it whole.
QString Whole(QWidget* dialog) {
    return dialog->windowTitle() == kTitle && dialog->width() >= platform::TitleBarWidth(kTitle) ? "title whole"
                                                                                                 : "title cut";
}

// Runs `answer` on the modal dialog of type T from the event loop it runs when shown.
template <typename T>
void WhenShown(std::function<void(T*)> answer) {
    QTimer::singleShot(0, [answer] { answer(qobject_cast<T*>(QApplication::activeModalWidget())); });
}

}  // namespace

class tst_platformservices : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    platform::QtPrompts prompts;

private slots:
    void initTestCase() {
        testsupport::UseTestEnvironment();
        QVERIFY(WriteAll(dir.filePath("locked.bas"), "Sub A()\r\n"));
        QVERIFY(QFile::setPermissions(dir.filePath("locked.bas"), QFileDevice::WriteOwner));
        const QString huge = dir.filePath("huge.bas");  // sparse: costs no disk
        QVERIFY(WriteAll(huge, "") && QFile::resize(huge, 64LL * 1024 * 1024 + 1));
    }

    void shellTarget_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("web") << "https://vbsnippary.example.org/" << QUrl("https://vbsnippary.example.org/");
        QTest::newRow("blank and hash in a path") << "/tmp/my #1.htm" << QUrl::fromLocalFile("/tmp/my #1.htm");
        QTest::newRow("colon later in a path") << "/tmp/a:b.htm" << QUrl::fromLocalFile("/tmp/a:b.htm");
    }
    void shellTarget() {
        QFETCH(QString, target);
        QFETCH(QUrl, url);
        QCOMPARE(platform::ShellTarget(target), url);
    }

    // Installed, the files go to the user's folders; a settings file beside the program
    // keeps everything there (a portable copy).
    void folders() {
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/snippary";
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const auto folders = [] {
            return QStringList{platform::PortableUse() ? "portable" : "installed", platform::SettingsFile(),
                               platform::AddinFile(), platform::ExportDefaultFolder()};
        };
        QCOMPARE(folders(), (QStringList{"installed", config + "/Snippary.ini", config + "/VBADDIN.INI",
                                         docs.isEmpty() ? QDir::homePath() : docs}));
        const QString pf = platform::ProgramFolder();
        const auto planted = qScopeGuard([&] { QFile::remove(pf + "/Snippary.ini"); });
        QVERIFY(WriteAll(pf + "/Snippary.ini", "[Snippary]\r\n"));
        QCOMPARE(folders(), (QStringList{"portable", pf + "/Snippary.ini", pf + "/VBADDIN.INI", pf}));
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
        QByteArray noise(8192, '\0');  // no pattern, as an encrypted or compressed file holds
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        QTest::newRow("new folders") << "x/y/page.htm" << QByteArray() << false << true;
        QTest::newRow("linked file stays linked") << "Snippary.ini" << QByteArray("old") << true << true;
        QTest::newRow("replaced, text of whole pages") << "page.htm" << QByteArray(4096, 'p') << false << true;
        QTest::newRow("noise, not whole pages") << "a.zip" << noise.left(4097) << false << true;
        QTest::newRow("target is a folder") << "folder" << QByteArray() << false << false;
        QTest::newRow("parent is a file") << "file/page.htm" << QByteArray() << false << false;
        QTest::newRow("no name") << "" << QByteArray() << false << false;
        QTest::newRow("SQLite library") << "lib.snip" << sqlite << false << false;
        QTest::newRow("link to a library") << "page.htm" << sqlite << true << false;
        QTest::newRow("encrypted library") << "lib.htm" << noise << false << false;
        QTest::newRow("rollback journal")
            << "lib.snip-journal" << QByteArray("\xD9\xD5\x05\xF9\x20\xA1\x63\xD7") << false << false;
        QTest::newRow("write-ahead log") << "lib.snip-wal" << QByteArray("\x37\x7F\x06\x82") << false << false;
        QTest::newRow("Access, Jet") << "old.mdb" << jet << false << false;
        QTest::newRow("Access, ACE") << "old.accdb" << QByteArray(jet).replace("Jet", "ACE") << false << false;
    }
    void atomicWrite() {
        QFETCH(QString, name);
        QFETCH(QByteArray, old);
        QFETCH(bool, link);
        QFETCH(bool, written);
        QTemporaryDir here;
        QVERIFY(QDir(here.path()).mkdir(QStringLiteral("folder")) && WriteAll(here.filePath("file"), "keep"));
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

    // A module file read as text in its encoding with its line ends, or refused with the reason.
    void readModule_data() {
        QTest::addColumn<QString>("name");  // in.bas holds `bytes`; the others are made by initTestCase
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("read");  // the text, or the refusal (%1: the path)
        const auto row = [](const char* name, QByteArray bytes, const char* utf8) {
            QTest::newRow(name) << "in.bas" << bytes << QString::fromUtf8(utf8);
        };
        row("empty lines kept", "A\r\n\r\n\rB", "A\r\n\r\n\r\nB\r\n");
        row("UTF-8 mark removed", "\xEF\xBB\xBF' \xE2\x82\xAC\r\n", "' \xE2\x82\xAC\r\n");
        row("mark alone", "\xEF\xBB\xBF", "");
        QTest::newRow("second mark is content")
            << "in.bas" << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx") << QChar(0xFEFF) + QString("x\r\n");
        row("code page: euro and smart quotes", "s = \x93\x80 5\x94 \x85 \x91it\x92s\x97\r\n",
            "s = \xE2\x80\x9C\xE2\x82\xAC 5\xE2\x80\x9D \xE2\x80\xA6 \xE2\x80\x98it\xE2\x80\x99s\xE2\x80\x94\r\n");
        row("broken UTF-8 read as code page", "\xC3\xA9 \xC3", "\xC3\x83\xC2\xA9 \xC3\x83\r\n");
        QTest::newRow("missing") << "none.bas" << QByteArray() << "The file %1 does not exist.";
        QTest::newRow("folder") << "/" << QByteArray() << "%1 is a folder, not a file.";
        QTest::newRow("device") << "/dev/zero" << QByteArray() << "%1 is not a regular file.";
        row("binary", QByteArray("\x01\0\x02", 3), "The file %1 is not a text file (it holds NUL bytes).");
        QTest::newRow("unreadable") << "locked.bas" << QByteArray() << "The file %1 cannot be read: Permission denied";
        QTest::newRow("too large, refused whole")
            << "huge.bas" << QByteArray() << "The file %1 is too large to be a module (more than 64 MB).";
    }
    void readModule() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, read);
        if (name == "locked.bas" && geteuid() == 0) QSKIP("the superuser reads every file");
        const QString path = QDir::isAbsolutePath(name) ? name : dir.filePath(name);
        if (name == "in.bas") QVERIFY(WriteAll(path, bytes));
        const platform::ModuleText t = platform::ReadModuleFile(path);
        QCOMPARE(t.ok ? t.content : t.error, read.replace("%1", path));
    }

    // The boxes answered from the keyboard: what each shows, and what the caller gets back.
    void boxes_data() {
        QTest::addColumn<QString>("box");   // a message box's buttons, "input" or "password"
        QTest::addColumn<QString>("keys");  // typed into the box's field, or pressed on the box
        QTest::addColumn<QString>("answer");
        const auto row = [](const char* name, const char* box, const char* keys, const QString& answer) {
            QTest::newRow(name) << box << keys << answer;
        };
        row("Return is yes", "YesNo", "\r", QString::number(Prompts::Yes));
        row("Escape is no", "YesNo", "\x1b", QString::number(Prompts::No));
        row("Escape on an Ok box", "OkOnly", "\x1b", QString::number(Prompts::Ok));
        row("typed", "input", "Forms\r", "Forms");
        row("emptied", "input", "\r", "");
        row("cancelled", "input", "Forms\x1b", "<cancelled>");
        row("password, hidden", "password", "s3cret\r", "s3cret");
    }
    void boxes() {
        QFETCH(QString, box);
        QFETCH(QString, keys);
        QFETCH(QString, answer);
        QStringList shown;
        WhenShown<QDialog>([&](QDialog* dlg) {
            shown << Whole(dlg);
            if (auto* msg = qobject_cast<QMessageBox*>(dlg))
                shown << msg->text() << (msg->icon() == QMessageBox::Warning ? "warning" : "another icon")
                      << (msg->textFormat() == Qt::PlainText ? "plain text" : "rich text");
            QWidget* focus = dlg;
            if (auto* edit = dlg->findChild<QLineEdit*>()) {
                shown << edit->text() << (edit->echoMode() == QLineEdit::Normal ? "shown" : "hidden");
                edit->selectAll();
                QTest::keyClick(edit, Qt::Key_Backspace);
                focus = edit;
            }
            QTest::keyClicks(focus, keys);
        });
        const QString text = QStringLiteral("Delete <b>it</b>?");  // a snippet's name, shown as typed
        const auto buttons = box == "YesNo" ? Prompts::YesNo : Prompts::OkOnly;
        const std::optional<QString> given =
            box == "input"      ? prompts.InputBox(QStringLiteral("Category name:"), kTitle, QStringLiteral("Misc"))
            : box == "password" ? prompts.Password(QStringLiteral("Password:"), kTitle)
                                : QString::number(prompts.MsgBox(text, buttons, Prompts::Exclamation, kTitle));
        QCOMPARE(given.value_or("<cancelled>"), answer);
        const QStringList message{text, "warning", "plain text"}, input{"Misc", "shown"}, password{"", "hidden"};
        QCOMPARE(shown, QStringList{"title whole"} + (box == "input" ? input : box == "password" ? password : message));
    }

    void openFiles_data() {
        QTest::addColumn<bool>("several");
        QTest::newRow("one file") << false;
        QTest::newRow("several files") << true;
    }
    // The file pickers: the filter's parts offered, the first chosen, and the typed files given back.
    void openFiles() {
        QFETCH(bool, several);
        QStringList chosen{dir.filePath("a.bas"), dir.filePath("b.bas")};
        for (const QString& file : chosen) QVERIFY(WriteAll(file, "x\r\n"));
        if (!several) chosen.removeLast();
        QStringList filters;
        WhenShown<QFileDialog>([&](QFileDialog* dlg) {
            filters = dlg->nameFilters() << dlg->selectedNameFilter();
            auto* name = dlg->findChild<QLineEdit*>("fileNameEdit");
            name->setText(several ? "\"a.bas\" \"b.bas\"" : "a.bas");  // whole: the completer would take keys
            QTest::keyClick(name, Qt::Key_Return);
        });
        const QString filter = QStringLiteral("Module (*.bas)|*.bas|Class (*.cls)|*.cls|All files (*.*)|*.*");
        QCOMPARE(several ? prompts.OpenFiles(dir.path(), QStringLiteral("Select files"), filter)
                         : QStringList{prompts.OpenFile(dir.path(), QStringLiteral("Select file"), filter)},
                 chosen);
        QCOMPARE(filters, (QStringList{"Module (*.bas)", "Class (*.cls)", "All files (*)", "Module (*.bas)"}));
    }

    // Cancelled, the font dialog gives back what was current, even a font never set.
    void fontCancelKeepsCurrent() {
        WhenShown<QFontDialog>([](QFontDialog* dlg) { QTest::keyClick(dlg, Qt::Key_Escape); });
        const platform::FontChoice got = prompts.ChooseFont({});
        QCOMPARE(QStringLiteral("%1 %2").arg(got.name).arg(got.pointSize), QStringLiteral(" 0"));
    }
};

QTEST_MAIN(tst_platformservices)
#include "tst_platformservices.moc"
