// The library window as a user works it: its controls found by their design names,
// its menus' own entries, and the Load Database dialog answered with clicks and keys.
#pragma once

#include <QtTest>
#include <QtWidgets>

#include "main/ui/frmsnippary.h"
#include "platform/folders.h"
#include "platform/scriptedprompts.h"
#include "settings/registry.h"
#include "testlibrary.h"

namespace windowdriver {

template <typename T = QWidget>
T* Find(const QObject* window, const QString& name) {
    T* found = window->findChild<T*>(name);
    if (found == nullptr) QTest::qFail(qPrintable("no control " + name), __FILE__, __LINE__);
    return found;
}

inline void Trigger(const QObject* window, const QString& menuEntry) { Find<QAction>(window, menuEntry)->trigger(); }

inline void Click(const QObject* window, const QString& button) {
    QTest::mouseClick(Find<QPushButton>(window, button), Qt::LeftButton);
}

inline void ClickTab(const QObject* window, int page) {
    auto* tabs = Find<QTabWidget>(window, "SSTab1");
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    QTRY_COMPARE(tabs->currentIndex(), page);
}

// Every question asked was expected, and every expected one asked.
inline void VerifyPrompts(const platform::ScriptedPrompts& prompts) {
    QVERIFY2(prompts.Unexpected().isEmpty(), qPrintable(prompts.Unexpected().join("; ")));
    QVERIFY2(prompts.AllConsumed(), qPrintable(prompts.Pending().join("; ")));
}

// Answers the next Load Database dialog: the library picked with its "..." button,
// the password typed, then Ok. An empty path closes it instead; `seen` gets the
// path the dialog showed when it came up. Questions the opening asks are queued after this.
inline void AnswerLoadDB(platform::ScriptedPrompts& prompts, const QString& path, const QString& password = {},
                         QString* seen = nullptr) {
    if (!path.isEmpty()) prompts.ExpectOpenFile(path, "Select database");
    QTimer::singleShot(0, qApp, [path, password, seen] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->objectName() != QLatin1String("frmLoadDB")) return;
        if (seen != nullptr) *seen = Find<QLineEdit>(dialog, "txtDB")->text();
        if (path.isEmpty()) return Click(dialog, "cmdClose");
        Click(dialog, "cmdLoadDB");
        auto* box = Find<QLineEdit>(dialog, "txtPass");
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, password);
        Click(dialog, "cmdOk");
    });
}

// The texts of a column of a list, a combo box or the snippet list, row by row.
inline QStringList Texts(const QAbstractItemModel* model, int column = 0) {
    QStringList out;
    for (int row = 0; row < model->rowCount(); ++row) out << model->index(row, column).data().toString();
    return out;
}

inline void ClickRow(QAbstractItemView* view, int row, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(view->viewport(), button, {}, view->visualRect(view->model()->index(row, 0)).center());
}

// Another program on the library; a held one is in the middle of a transaction.
inline std::unique_ptr<store::Connection> Other(const QString& library, bool held = false) {
    auto other = std::make_unique<store::Connection>();
    testsupport::OpenLibrary(*other, library);
    if (held) other->BeginTrans();
    return other;
}

// The first column of a query's rows, read as another program on the library reads them.
inline QStringList Stored(const QString& library, const QString& query) {
    const auto con = Other(library);
    store::Recordset rs;
    QStringList out;
    for (rs.Open(query, con.get()); !rs.Eof(); rs.MoveNext()) out << rs.Fields(0).toString();
    return out;
}

// The program's window on a case of its own: started as the user starts the program,
// every question answered by script.
class Fixture : public QObject {
protected:
    QTemporaryDir dir;
    std::unique_ptr<platform::ScriptedPrompts> prompts = std::make_unique<platform::ScriptedPrompts>();
    std::unique_ptr<snippary::frmSnippary> w;

    // A start of the program, shown and active; a fresh one has no stored settings (so a
    // stored "load at start-up" never opens the Load Database dialog) and page 0 in front.
    void Start(bool fresh = true) {
        w.reset();
        if (fresh) {
            prompts = std::make_unique<platform::ScriptedPrompts>();
            QFile::remove(platform::SettingsFile());
            settings::RegWriteString(settings::HKEY_LOCAL_MACHINE, QString::fromLatin1(settings::RegistryKey),
                                     QStringLiteral("Tab"), QStringLiteral("0"));
        }
        w = std::make_unique<snippary::frmSnippary>(*prompts);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    // The window closed as the user closes it: its settings are written.
    void Close() {
        QVERIFY(w->close());
        w.reset();
    }
    void Verify() { VerifyPrompts(*prompts); }
    void Load(const QString& library, const QString& password = {}) {
        AnswerLoadDB(*prompts, library, password);
        Trigger(w.get(), "mnuLoad");
    }
    QListWidget* lstTOC() const { return Find<QListWidget>(w.get(), "lstTOC"); }
    QTreeView* lvTOC() const { return Find<QTreeView>(w.get(), "lvTOC"); }
    QPlainTextEdit* txtCod() const { return Find<QPlainTextEdit>(w.get(), "txtCod"); }
    bool Enabled(const QString& name) const { return Find<QObject>(w.get(), name)->property("enabled").toBool(); }
    // Adds a category by `entry`, the name typed (null: cancelled); `refused`: part of the message.
    void AddCategory(const QString& name, const QString& entry = "mnuAddCat", const QString& refused = {}) {
        prompts->ExpectInputBox(name.isNull() ? std::nullopt : std::optional(name), "Name of new category?");
        if (!refused.isEmpty()) prompts->ExpectMsgBoxContaining(refused);
        Trigger(w.get(), entry);
    }
    // Clicks the category at `row` and deletes it by `entry`, answering its question (null: none).
    void DeleteCategory(int row, std::optional<platform::Prompts::Answer> answer = platform::Prompts::Yes,
                        const QString& entry = "mnuDelCat", const QString& refused = {}) {
        ClickRow(lstTOC(), row);
        if (answer)
            prompts->ExpectMsgBox("Are you sure?\r\n(ALL items partain to this category will be deleted!)", *answer);
        if (!refused.isEmpty()) prompts->ExpectMsgBoxContaining(refused);
        Trigger(w.get(), entry);
    }
};

}  // namespace windowdriver
