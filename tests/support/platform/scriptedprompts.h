#pragma once
// Prompts for tests: the test queues each question it expects with its answer
// before the action; every question asked is recorded with its exact texts. A
// question that does not match the next queued one is answered in the safest way
// (No, Cancel, nothing chosen) and reported by Unexpected(), so the test fails.
#include <QList>
#include <QStringList>
#include <optional>

#include "platform/prompts.h"

namespace platform {

class ScriptedPrompts : public Prompts {
public:
    enum class Kind { MsgBox, InputBox, Password, OpenFile, OpenFiles, SaveFile, BrowseFolder, Font };

    // One question as it was asked.
    struct Asked {
        Kind kind = Kind::MsgBox;
        QString text{};  // the message, or the prompt of an input or password box
        QString title{};
        Buttons buttons = OkOnly;
        QString initialFolder{};  // file dialogs
        QString filter{};         // file dialogs, as given
    };

    using Text = std::optional<QString>;
    // A message box whose text is exactly `text`, or contains `part`.
    void ExpectMsgBox(const QString& text, Answer answer = Ok) { queue_.append({Kind::MsgBox, text, false, answer}); }
    void ExpectMsgBoxContaining(const QString& part, Answer answer = Ok) {
        queue_.append({Kind::MsgBox, part, true, answer});
    }
    // An input box; nullopt answers Cancel. An empty prompt matches any.
    void ExpectInputBox(const Text& answer, const QString& prompt = {}) { Queue(Kind::InputBox, prompt, answer); }
    // File dialogs; an empty path (or list) answers Cancel. An empty title matches any.
    void ExpectOpenFile(const QString& path, const QString& title = {}) { Queue(Kind::OpenFile, title, path); }
    void ExpectOpenFiles(const QStringList& paths, const QString& title = {}) {
        Queue(Kind::OpenFiles, title, {}, paths);
    }
    void ExpectSaveFile(const QString& path, const QString& title = {}) { Queue(Kind::SaveFile, title, path); }
    // The folder picker; the answer gets the trailing "/" the real picker gives.
    void ExpectBrowseFolder(const QString& folder, const QString& title = {}) {
        Queue(Kind::BrowseFolder, title, folder);
    }
    // The font dialog; nullopt cancels it (the preset comes back).
    void ExpectFont(const std::optional<FontChoice>& choice) {
        queue_.append({Kind::Font, {}, false, Ok, {}, {}, choice});
    }

    bool AllConsumed() const { return queue_.isEmpty(); }
    // The questions still queued, and those asked without matching the queue, described.
    QStringList Pending() const;
    QStringList Unexpected() const { return unexpected_; }
    // Every question asked, in order; the texts of the message boxes among them.
    const QList<Asked>& History() const { return history_; }
    QStringList Messages() const;
    // What ShellOpen was given, in order (it is no question and needs no expectation).
    const QStringList& Opened() const { return opened_; }
    void Clear() { *this = ScriptedPrompts(); }

    Answer MsgBox(const QString& text, Buttons buttons = OkOnly, Icon icon = NoIcon,
                  const QString& title = QStringLiteral("VBSnippary")) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText = QString()) override;
    std::optional<QString> Password(const QString& prompt, const QString& title) override;
    QString OpenFile(const QString& initialFolder, const QString& title, const QString& filter) override;
    QStringList OpenFiles(const QString& initialFolder, const QString& title, const QString& filter) override;
    QString SaveFile(const QString& initialFolder, const QString& title, const QString& filter) override;
    QString BrowseFolder(const QString& title) override;
    FontChoice ChooseFont(const FontChoice& current) override;
    void ShellOpen(const QString& target) override { opened_ << target; }

private:
    struct Expectation {
        Kind kind = Kind::MsgBox;
        QString match{};  // empty: any
        bool substring = false;
        Answer answer = Ok;
        std::optional<QString> text{};
        QStringList files{};
        std::optional<FontChoice> font{};
    };
    void Queue(Kind kind, const QString& match, const Text& text, const QStringList& files = {}) {
        queue_.append({kind, match, false, Ok, text, files});
    }
    // Takes the head of the queue when it matches; records the question either way.
    std::optional<Expectation> Take(const Asked& asked);
    static QString Describe(Kind kind, const QString& text);

    QList<Expectation> queue_;
    QList<Asked> history_;
    QStringList unexpected_;
    QStringList opened_;
};

}  // namespace platform
