#pragma once
// The Code Archive page: the category list with its ticks, the snippet list, the
// viewer and the four buttons, with the two lists' context menus. It works the
// library through the window's LibrarySession.
#include <QString>
#include <QWidget>
#include <array>
#include <vector>

#include "main/categorystore.h"
#include "main/snippetrow.h"

class QAction;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace platform {
class Prompts;
}  // namespace platform

namespace snippary {

class LibrarySession;
class SnippetListModel;
struct FrameLayout;

class CodeArchivePage : public QWidget {
    Q_OBJECT
public:
    CodeArchivePage(LibrarySession& library, platform::Prompts& prompts, QWidget* parent = nullptr);

    // The categories of the library just opened; all ticked when `ticked`.
    void ShowCategories(const std::vector<Category>& categories, bool ticked);
    // A library is open: Insert and Copy work, and so does Refresh.
    void Opened();
    // The library is closed: both lists and the viewer are empty, the buttons off.
    void Closed();
    void EnableRefresh();
    void EnableMenus(bool enabled);
    // The ticked categories' snippets; a search ends.
    void Refresh();
    // The list as the session's query selects it.
    void FillTOC();
    void AppendRow(const SnippetRow& row);
    // The Options menu's category entries.
    void AddCategory();
    void DeleteCategoryFromMenu();
    // "No change existing code": Save stays off.
    void SetNoChange(bool noChange);
    void ApplyFont(const QString& name, int size);
    void LayoutFor(const FrameLayout& layout);
    // Before the viewer's edited text would be lost: asks whether to save it first.
    // False when the user cancels or the save fails; the caller then stops.
    bool SaveOrDropEdits();

Q_SIGNALS:
    // The list was read anew from the library.
    void refreshed();
    void categoryAdded(const snippary::Category& category);
    void categoryRemoved(int position);
    void searchEnded();
    void exportRequested();
    void insertRequested(const QString& type, const QString& name, bool rowSelected, const QString& whole,
                         const QString& selected);

private:
    void BuildMenus();
    void ConnectControls();
    void DeleteCategory();
    void SelectCategories(int how);
    void ShowRow(int row);
    void ShowInViewer(const QString& storedContent);
    void SelectShownRow();
    bool HasUnsavedEdits() const;
    bool SaveShown(bool announce);
    void DeleteItem();
    void ChangeField(bool description);
    void CopyIntoClipboard();
    void Insert();
    int SelectedRow() const;
    // Runs a change of the library; a failure is reported and gives false.
    template <typename F>
    bool Report(F change);

    LibrarySession& library;
    platform::Prompts& prompts;
    bool noChange = false;

    QListWidget* lstTOC = nullptr;  // checkable items, Qt::UserRole = TypeID (qint64)
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdInsert = nullptr;
    QPushButton* cmdSaveCont = nullptr;
    QTreeView* lvTOC = nullptr;
    SnippetListModel* lvModel = nullptr;
    QPlainTextEdit* txtCod = nullptr;

    QMenu* mnuLstTOC = nullptr;
    QAction* mnuAddCat = nullptr;
    QAction* mnuDelCat = nullptr;
    std::array<QAction*, 3> mnuLstSel{};
    QAction* mnuRefresh2 = nullptr;
    QMenu* mnulvTOC = nullptr;
    QAction* mnuDelItem = nullptr;
    QAction* mnuChgDesc = nullptr;
    QAction* mnuChgSource = nullptr;
    QAction* mnuExport2 = nullptr;
    QAction* mnuRefresh = nullptr;
};

}  // namespace snippary
