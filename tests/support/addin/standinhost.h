#pragma once
// The host in memory: command bars, a project with components and code panes,
// with the host's rules for names. Tests drive it; it stands in wherever no real
// editor is attached.
#include <QList>
#include <QStringList>
#include <memory>
#include <vector>

#include "addin/host.h"

namespace addin::standin {

class Module : public CodeModule {
public:
    void AddFromString(const QString& text) override;
    void InsertLines(int line, const QString& text) override;
    int CountOfLines() const override { return int(lines.size()); }
    QString Lines(int startLine, int count) const override;
    QStringList lines;
};

class Pane : public CodePane {
public:
    CodeModule* GetCodeModule() override { return &module; }
    void GetSelection(int& startLine, int& startColumn, int& endLine, int& endColumn) override;
    Module module;
    int cursorLine = 1, cursorColumn = 1;
};

class Component : public VBComponent {
public:
    Component(QString name, int type) : name_(std::move(name)), type_(type) {}
    QString Name() const override { return name_; }
    void SetName(const QString& name) override;
    CodeModule* GetCodeModule() override { return &module; }
    int Type() const { return type_; }
    Module module;
    class Components* owner = nullptr;

private:
    QString name_;
    int type_;
};

class Components : public VBComponents {
public:
    VBComponent* Add(int type) override;
    int Count() const override { return int(items.size()); }
    VBComponent* Item(int index) override;
    bool Taken(const QString& name, const Component* except) const;
    std::vector<std::unique_ptr<Component>> items;
};

class Project : public VBProject {
public:
    VBComponents* GetVBComponents() override { return &components; }
    Components components;
};

class Control : public CommandBarControl {
public:
    QString Caption() const override { return caption; }
    void SetCaption(const QString& c) override { caption = c; }
    void SetBeginGroup(bool b) override { beginGroup = b; }
    void SetFace(const QImage& f) override { face = f; }
    void Delete() override;
    void OnClick(std::function<void()> handler) override { click = std::move(handler); }
    void Click() {
        if (click) click();
    }
    QString caption;
    bool beginGroup = false;
    QImage face;
    std::function<void()> click;
    class Bar* owner = nullptr;
};

class Bar : public CommandBar, public CommandBarControls {
public:
    explicit Bar(QString n, int p) : name(std::move(n)), position(p) {}
    QString Name() const override { return name; }
    void SetVisible(bool v) override { visible = v; }
    CommandBarControls* Controls() override { return this; }
    void Delete() override;
    CommandBarControl* Add(int type) override;
    int Count() const override { return int(controls.size()); }
    CommandBarControl* Item(int index) override;
    QString name;
    int position;
    bool visible = false;
    std::vector<std::unique_ptr<Control>> controls;
    // Deleted controls stay alive, as a host keeps an object its callers still
    // hold; using one again fails.
    std::vector<std::unique_ptr<Control>> removed;
    class Host* owner = nullptr;
};

class Host : public VBE, public CommandBars {
public:
    Host();  // with the host's own "Add-Ins" menu and one project with a code pane
    CommandBars* GetCommandBars() override { return this; }
    VBProject* ActiveVBProject() override;
    CodePane* ActiveCodePane() override;
    CommandBar* Item(const QString& name) override;
    CommandBar* Add(const QString& name, int position) override;
    Bar* Find(const QString& name);
    std::vector<std::unique_ptr<Bar>> bars;
    std::vector<std::unique_ptr<Bar>> removedBars;
    std::unique_ptr<Project> project = std::make_unique<Project>();
    std::unique_ptr<Pane> pane = std::make_unique<Pane>();
};

}  // namespace addin::standin
