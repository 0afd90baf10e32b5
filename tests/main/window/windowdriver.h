// The library window as a user works it: its controls found by their design names,
// its menus' own entries, and the Load Database dialog answered with clicks and keys.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "platform/scriptedprompts.h"

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

// Shows a page by a click on its tab in the window's tab strip.
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

// File > Load database, answered as above.
inline void Load(const QObject* window, platform::ScriptedPrompts& prompts, const QString& path,
                 const QString& password = {}) {
    AnswerLoadDB(prompts, path, password);
    Trigger(window, "mnuLoad");
}

}  // namespace windowdriver
