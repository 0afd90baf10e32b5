#pragma once
// Prompts for the page tests: the test queues the file dialog's answers; every
// message box is recorded. A dialog the test did not expect fails the test.
#include <QStringList>
#include <QTest>

#include "platform/prompts.h"

class TestPrompts : public platform::Prompts {
public:
    QStringList openFileAnswers;  // consumed in order
    QStringList messages;         // every MsgBox text, in order
    QString lastOpenFolder, lastOpenTitle, lastOpenFilter;

    Answer MsgBox(const QString& text, Buttons, Icon, const QString&) override {
        messages << text;
        return Ok;
    }
    std::optional<QString> InputBox(const QString& prompt, const QString&, const QString&) override {
        QTest::qFail(qPrintable(QStringLiteral("unexpected input box: ") + prompt), __FILE__, __LINE__);
        return std::nullopt;
    }
    std::optional<QString> Password(const QString& prompt, const QString&) override {
        QTest::qFail(qPrintable(QStringLiteral("unexpected password box: ") + prompt), __FILE__, __LINE__);
        return std::nullopt;
    }
    QString OpenFile(const QString& folder, const QString& title, const QString& filter) override {
        lastOpenFolder = folder;
        lastOpenTitle = title;
        lastOpenFilter = filter;
        if (openFileAnswers.isEmpty()) {
            QTest::qFail("unexpected file dialog", __FILE__, __LINE__);
            return QString();
        }
        return openFileAnswers.takeFirst();
    }
    QString SaveFile(const QString&, const QString&, const QString&) override {
        QTest::qFail("unexpected save dialog", __FILE__, __LINE__);
        return QString();
    }
    QString BrowseFolder(const QString&) override {
        QTest::qFail("unexpected folder picker", __FILE__, __LINE__);
        return QString();
    }
    platform::FontChoice ChooseFont(const platform::FontChoice& current) override {
        QTest::qFail("unexpected font dialog", __FILE__, __LINE__);
        return current;
    }
    void ShellOpen(const QString&) override {}
};
