// The File menu's database commands and the start with a library named on the command line.
#include <QFileInfo>

#include "main/ui/addpage.h"
#include "main/ui/codearchivepage.h"
#include "main/ui/frmsnippary.h"
#include "platform/folders.h"
#include "platform/prompts.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "store/pgengine.h"
#include "store/ui/frmloaddb.h"

namespace snippary {

void frmSnippary::SetLoadedMenus(bool enabled) {
    page0->EnableMenus(enabled);
    mnuExport->setEnabled(enabled);
}

void frmSnippary::FillTypes() {
    library.con.Close();
    page0->EnableRefresh();
    std::optional<store::LoadChoice> chosen;
    {
        store::frmLoadDB dlg(prompts, sDb, sPass, this);
        chosen = dlg.Choose();
    }
    if (!chosen) return;
    if (const std::optional<QString> made = OfferAccessConversion(chosen->path)) {
        if (made->isEmpty()) return;
        store::ConnectionString cs;
        cs.dataSource = *made;
        chosen = store::LoadChoice{*made, QString(), cs.Build()};
    }
    // A failed open is reported, and the path and password are still recorded.
    try {
        library.Open(chosen->connectionString, chosen->path, chosen->password);
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message(), platform::Prompts::OkOnly, platform::Prompts::NoIcon);
    }
    if (library.IsOpen()) OpenLoaded();
}

void frmSnippary::OpenLoaded() {
    delete changeWatch;
    changeWatch = new store::ChangeWatch(con, this);
    connect(changeWatch, &store::ChangeWatch::ChangedByOthers, this,
            [this] { setWindowTitle(QStringLiteral("Snippary - changed by others since the last Refresh")); });
    const std::vector<Category> categories = library.Categories();
    page0->ShowCategories(categories, lLoadList == 1);
    addPage->ShowCategories(categories);
    Refresh();
    page0->Opened();
}

void frmSnippary::Refresh() { page0->Refresh(); }

void frmSnippary::mnuLoad_Click() {
    if (!CloseLibrary()) return;
    FillTypes();
    SetLoadedMenus(true);
}

bool frmSnippary::CloseLibrary() {
    if (!page0->SaveOrDropEdits()) return false;
    delete changeWatch;  // its socket goes with the connection
    // The password goes with the library it opened.
    library.Close();
    page0->Closed();
    addPage->Closed();
    SetLoadedMenus(false);
    Refresh();
    return true;
}

void frmSnippary::mnuViewDB_Click() {
    prompts.MsgBox(QStringLiteral("Database selected: ") + sDb, platform::Prompts::OkOnly, platform::Prompts::NoIcon,
                   QStringLiteral("Snippary"));
}

void frmSnippary::mnuNewDB_Click() {
    if (!page0->SaveOrDropEdits()) return;
    QString path = prompts.SaveFile(platform::DataFolder(), QStringLiteral("New database"),
                                    QString::fromLatin1(store::LibraryFilter));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + QString::fromLatin1(store::LibrarySuffix);
    const std::optional<QString> first =
        prompts.Password(QStringLiteral("Password (leave empty for none):"), QStringLiteral("New database"));
    if (!first) return;
    const QString& password = *first;
    if (!password.isEmpty()) {
        const std::optional<QString> again =
            prompts.Password(QStringLiteral("Type the password again:"), QStringLiteral("New database"));
        if (!again) return;
        if (*again != password) {
            prompts.MsgBox(QStringLiteral("The passwords do not match. No database was created."));
            return;
        }
    }
    try {
        store::CreateLibrary(path, password, false);
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message());
        return;
    }
    // Opened as Load database opens a library, without asking again.
    CloseLibrary();
    page0->EnableRefresh();
    try {
        library.Open(path, password);
    } catch (const store::StoreError& e) {
        prompts.MsgBox(e.Message());
    }
    if (library.IsOpen()) OpenLoaded();
    SetLoadedMenus(true);
}

void frmSnippary::OpenAtStart(const QString& libraryPath) {
    CloseLibrary();
    const bool server = store::pg::IsAddress(libraryPath);
    const QString path = server ? libraryPath : QFileInfo(libraryPath).absoluteFilePath();
    try {
        library.Open(path, QString());
    } catch (const store::StoreError& e) {
        // A library that wants a password is asked for in the usual dialog.
        if (server ? e.Number() != store::errors::kBadPassword : !QFileInfo(path).isFile()) {
            prompts.MsgBox(e.Message());
            return;
        }
    }
    if (library.IsOpen()) {
        page0->EnableRefresh();
        OpenLoaded();
    } else {
        // Most likely a library with a password: ask for it in the usual dialog.
        FillTypes();
    }
    SetLoadedMenus(true);
}

}  // namespace snippary
