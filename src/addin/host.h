#pragma once
// The editor host as the add-in sees it: command bars with their controls and
// click events, the active project's components and the active code pane. Every
// failing operation throws HostError, as the host's own would. Objects returned
// by pointer belong to the host and live as long as it does (or until Delete).
#include <QImage>
#include <QString>
#include <exception>
#include <functional>

namespace addin {

class HostError : public std::exception {
public:
    HostError(long number, QString description)
        : number_(number), description_(std::move(description)), what_(description_.toUtf8()) {}
    long Number() const { return number_; }
    const QString& Description() const { return description_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    long number_;
    QString description_;
    QByteArray what_;
};

class CodeModule {
public:
    virtual ~CodeModule() = default;
    virtual void AddFromString(const QString& text) = 0;
    // The text's lines go before line `line` (from 1); the lines there move down.
    virtual void InsertLines(int line, const QString& text) = 0;
    virtual int CountOfLines() const = 0;
    virtual QString Lines(int startLine, int count) const = 0;
};

class CodePane {
public:
    virtual ~CodePane() = default;
    virtual CodeModule* GetCodeModule() = 0;
    virtual void GetSelection(int& startLine, int& startColumn, int& endLine, int& endColumn) = 0;
};

class VBComponent {
public:
    virtual ~VBComponent() = default;
    virtual QString Name() const = 0;
    virtual void SetName(const QString& name) = 0;  // throws when the host refuses the name
    virtual CodeModule* GetCodeModule() = 0;
};

class VBComponents {
public:
    enum Type { StdModule = 1, ClassModule = 2 };
    virtual ~VBComponents() = default;
    virtual VBComponent* Add(int type) = 0;
    virtual int Count() const = 0;
    virtual VBComponent* Item(int index) = 0;  // from 1
};

class VBProject {
public:
    virtual ~VBProject() = default;
    virtual VBComponents* GetVBComponents() = 0;
};

class CommandBarControl {
public:
    virtual ~CommandBarControl() = default;
    virtual QString Caption() const = 0;
    virtual void SetCaption(const QString& caption) = 0;
    virtual void SetBeginGroup(bool begin) = 0;
    // The button's picture, given directly (never through the clipboard).
    virtual void SetFace(const QImage& face) = 0;
    virtual void Delete() = 0;
    // The click event source of this control: one handler.
    virtual void OnClick(std::function<void()> handler) = 0;
};

class CommandBarControls {
public:
    virtual ~CommandBarControls() = default;
    virtual CommandBarControl* Add(int type) = 0;  // 1: a button
    virtual int Count() const = 0;
    virtual CommandBarControl* Item(int index) = 0;  // from 1
};

class CommandBar {
public:
    enum Position { Left = 0, Top = 1, Right = 2, Bottom = 3, Floating = 4 };
    virtual ~CommandBar() = default;
    virtual QString Name() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual CommandBarControls* Controls() = 0;
    virtual void Delete() = 0;
};

class CommandBars {
public:
    virtual ~CommandBars() = default;
    virtual CommandBar* Item(const QString& name) = 0;  // throws for a missing name
    virtual CommandBar* Add(const QString& name, int position) = 0;
};

class VBE {
public:
    virtual ~VBE() = default;
    virtual CommandBars* GetCommandBars() = 0;
    virtual VBProject* ActiveVBProject() = 0;  // throws when there is none
    virtual CodePane* ActiveCodePane() = 0;    // throws when there is none
};

}  // namespace addin
