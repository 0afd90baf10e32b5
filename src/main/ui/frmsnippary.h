#pragma once
// The library window: the tab strip with the code archive, search and add pages,
// the menus and the window's persistent state. The open library is a
// LibrarySession; the window wires its pages and menus to it.
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <optional>

#include "main/librarysession.h"
#include "main/twipsgeometry.h"
#include "store/changewatch.h"

class QAction;
class QMenu;
class QTabWidget;

namespace platform {
class Prompts;
}  // namespace platform
namespace addin {
class VBE;
}  // namespace addin
namespace exporting {
class frmExport;
}  // namespace exporting

namespace snippary {

class SearchPage;
class AddPage;
class CodeArchivePage;

class frmSnippary : public QMainWindow {
    Q_OBJECT
    LibrarySession library;  // first: the shared members below are its parts

public:
    explicit frmSnippary(platform::Prompts& prompts, QWidget* parent = nullptr);  // runs Form_Load
    ~frmSnippary() override;

    addin::VBE* VBInst = nullptr;  // set by the add-in; null without an editor
    store::Connection& con = library.con;
    QString& sDb = library.sDb;
    QString& sPass = library.sPass;

    // Closes the library and asks for one in the Load Database dialog.
    void FillTypes();
    // `snippary LIBRARY`: opens it at once; the Load Database dialog is shown
    // (with the path filled in) only when the library cannot be opened without a password.
    void OpenAtStart(const QString& libraryPath);
    // Writes the page the export dialog asks for; false when it failed (reported).
    bool Export();
    // How often `s2` occurs in `s1`.
    static qint32 CountStr(const QString& s1, const QString& s2);
    // Closing the window (closeEvent) runs Form_Unload.

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
    void Form_Load();
    void Form_Resize();
    void FollowFrame();
    void Form_Unload();
    void OpenLoaded();       // FillTypes steps 5 to 7
    void mnuImport_Click();  // importing.cpp
    // Ok on an Access file: offers to make a library of it; the library made, an
    // empty text when the user gave up, nothing when the file is not offered.
    std::optional<QString> OfferAccessConversion(const QString& path);
    void ApplyContentFont();
    void SetLoadedMenus(bool enabled);
    bool CloseLibrary();
    void Refresh();

    void mnuNewDB_Click();
    void mnuLoad_Click();
    void mnuViewDB_Click();
    void mnuView_Click(int index);
    void SSTab1_Click(int previousTab);
    void mnuOpt_Click(int index);
    void mnuChgFont_Click();
    void mnuAbout_Click();

    // The window's outer size and position in twips.
    int WidthTwips() const;
    int HeightTwips() const;
    void SetOuterSizeTwips(int width, int height);
    void SetOuterPosTwips(int left, int top);

    platform::Prompts& prompts;
    QPointer<store::ChangeWatch> changeWatch;  // a team library: others' changes shown in the title

    QTabWidget* SSTab1 = nullptr;
    CodeArchivePage* page0 = nullptr;
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

    qint32 lPrevTab = 0, lTab = 0;
    qint32 lLoadStartup = 0, lNoChange = 0, lLoadList = 0;
    qint32 lFontSize = 0;
    QString sFontName;

    exporting::frmExport* frmExport = nullptr;  // loaded hidden with the window
    QPointer<QWidget> frmAbout;
    TwipsGeometry geometryTwips;
    QSize frameUsed;  // the frame the last outer size was set with
    bool unloaded = false;
};

}  // namespace snippary
