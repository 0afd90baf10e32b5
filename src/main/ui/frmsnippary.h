#pragma once
// The library window: tab strip with the code archive, search and add pages, the
// category and snippet lists, the viewer, menus and the window's persistent state.
// Its logic lives in widget-free units of src/main; this class wires controls to it.
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "main/boxtext.h"
#include "main/twipsgeometry.h"
#include "store/changewatch.h"
#include "store/store.h"

class QAction;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeView;
class QWidget;

namespace platform { class Prompts; }
namespace addin { class VBE; }
namespace store { class frmLoadDB; }
namespace exporting { class frmExport; }

namespace snippary {

class SearchPage;
class AddPage;
class SnippetListModel;
struct SnippetRow;

class frmSnippary : public QMainWindow {
    Q_OBJECT
public:
    explicit frmSnippary(platform::Prompts& prompts, QWidget* parent = nullptr);  // runs Form_Load
    ~frmSnippary() override;

    addin::VBE* VBInst = nullptr;  // set by the add-in; null without an editor
    store::Connection con;
    QString sDb, sPass;

    // `snippary LIBRARY`: opens it at once; the Load Database dialog is shown
    // (with the path filled in) only when the library cannot be opened without a password.
    void OpenAtStart(const QString& libraryPath);
    // Writes the page the export dialog asks for; false when it failed (reported).
    bool Export();
    // Closing the window (closeEvent) runs Form_Unload.

    // ---- Controls, named as designed (the pages, the add-in and tests reach them) ----
    QTabWidget* SSTab1 = nullptr;
    QWidget* page0 = nullptr;
    QListWidget* lstTOC = nullptr;  // checkable items, Qt::UserRole = TypeID (qint64)
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdInsert = nullptr;
    QPushButton* cmdSaveCont = nullptr;
    QTreeView* lvTOC = nullptr;
    SnippetListModel* lvModel = nullptr;
    QPlainTextEdit* txtCod = nullptr;
    SearchPage* searchPage = nullptr;
    AddPage* addPage = nullptr;

    QMenu* mnuFile = nullptr;
    QAction* mnuNewDB = nullptr;
    QAction* mnuLoad = nullptr;
    QAction* mnuCloseDB = nullptr;
    QAction* mnuExport = nullptr;
    QAction* mnuImport = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuEd = nullptr;
    std::array<QAction*, 3> mnuEdit{};
    QMenu* mnuViewAll = nullptr;
    std::array<QAction*, 3> mnuView{};
    QAction* mnuViewDB = nullptr;
    QMenu* mnuOptions = nullptr;
    std::array<QAction*, 3> mnuOpt{};
    QAction* mnuChgFont = nullptr;
    QAction* mnuAddCat2 = nullptr;
    QAction* mnuDelCat2 = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuContents = nullptr;
    QAction* mnuWeb = nullptr;
    QAction* mnuAbout = nullptr;

    QMenu* mnuLstTOC = nullptr;  // context menu of lstTOC
    QAction* mnuAddCat = nullptr;
    QAction* mnuDelCat = nullptr;
    std::array<QAction*, 3> mnuLstSel{};
    QAction* mnuRefresh2 = nullptr;

    QMenu* mnulvTOC = nullptr;  // context menu of lvTOC
    QAction* mnuDelItem = nullptr;
    QAction* mnuChgDesc = nullptr;
    QAction* mnuChgSource = nullptr;
    QAction* mnuExport2 = nullptr;
    QAction* mnuRefresh = nullptr;

    // ---- Window state shared by the units (read by tests) ----
    QString sWhere, sFind, sOrder;
    QString sCurType;
    std::optional<qint64> shownId;  // the snippet whose content the viewer shows
    QString shownName;               // and its name, for the question about unsaved edits
    BoxContent shownContent;         // what the program last put into txtCod
    qint32 lPrevTab = 0, lTab = 0;
    qint32 lLoadStartup = 0, lNoChange = 0, lLoadList = 0;
    qint32 lFontSize = 0;
    QString sFontName;

    // How the Load Database dialog is run; null runs it modally (exec). Tests put
    // a function here that fills and confirms the dialog.
    std::function<void(store::frmLoadDB&)> runLoadDB;

    // ---- Procedures ----
    void FillTypes();
    void Refresh();
    void FillTOC();

    void mnuNewDB_Click();
    void mnuLoad_Click();
    void mnuCloseDB_Click();
    void mnuViewDB_Click();
    void mnuExport_Click();
    void mnuImport_Click();
    void mnuView_Click(int index);
    void SSTab1_Click(int previousTab);
    void mnuOpt_Click(int index);
    void mnuChgFont_Click();

    void lstTOC_Click();
    void mnuAddCat_Click();
    void mnuDelCat_Click();
    void mnuDelCat2_Click();
    void mnuLstSel_Click(int index);

    void lvTOC_ColumnClick(int column);  // column counts from 1
    void lvTOC_ItemClick(int row);
    void lvTOC_DblClick();
    void txtCod_Change();
    void cmdSaveCont_Click();
    void mnuDelItem_Click();
    void mnuChgDesc_Click();
    void mnuChgSource_Click();

    void cmdInsert_Click();
    void cmdCopy_Click();
    void mnuEdit_Click(int index);

    void mnuContents_Click();
    void mnuWeb_Click();
    void mnuAbout_Click();
    void OpenHelpIndex();  // F1

    // The row selected in lvTOC, or -1.
    int SelectedRow() const;
    // The window's outer size and position in twips.
    int WidthTwips() const;
    int HeightTwips() const;
    void SetOuterSizeTwips(int width, int height);
    void SetOuterPosTwips(int left, int top);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void ConnectControls();
    void RouteEditKeys();  // the Edit menu's keys run its entries in every box
    void Form_Load();
    void Form_Resize();
    void FollowFrame();
    void Form_Unload();
    void OpenLoaded();                     // FillTypes steps 5 to 7
    // Ok on an Access file: offers to make a library of it (importing.cpp).
    std::optional<QString> OfferAccessConversion(const QString& path);
    void ApplyContentFont();
    void ShowInViewer(const QString& storedContent);
    void AppendAddedRow(const SnippetRow& row);
    // Runs one library change; a failure is shown to the user and gives false.
    bool RunChange(const std::function<void()>& change);
    bool HasUnsavedEdits() const;
    // Before the viewer's edited text would be lost: asks whether to save it first.
    // False when the user cancels or the save fails; the caller then stops.
    bool SaveOrDropEdits();
    bool SaveShown(bool announce);
    void SelectShownRow();
    void cmdRefresh_Click();
    void SetLoadedMenus(bool enabled);
    void ChangeField(bool description);

    platform::Prompts& prompts;
    QPointer<store::ChangeWatch> changeWatch;  // a team library: others' changes shown in the title
    exporting::frmExport* frmExport = nullptr;  // loaded hidden with the window
    QPointer<QWidget> frmAbout;
    TwipsGeometry geometryTwips;
    QSize frameUsed;  // the frame the last outer size was set with
    bool unloaded = false;
    bool inResize = false;
};

}  // namespace snippary
