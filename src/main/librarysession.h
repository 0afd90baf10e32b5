#pragma once
// The open library as the window works it, without any widget: the connection with
// its path and password, the three parts of the snippet list's query, and the
// snippet the viewer shows, with the changes made to it.
#include <QList>
#include <QString>
#include <optional>
#include <vector>

#include "main/boxtext.h"
#include "main/categorystore.h"
#include "main/snippetrow.h"
#include "store/store.h"

namespace snippary {

class LibrarySession {
public:
    LibrarySession() = default;
    LibrarySession(const LibrarySession&) = delete;
    LibrarySession& operator=(const LibrarySession&) = delete;
    ~LibrarySession();

    store::Connection con;
    QString sDb;    // the library last opened or tried
    QString sPass;  // its password; never stored
    QString sWhere, sFind, sOrder;

    bool IsOpen() const;
    // Opens `connectionString` as the library at `path`. The path and password are
    // kept even when opening fails. Throws store::StoreError.
    void Open(const QString& connectionString, QString path, QString password);
    // Opens the library file at `path` as the program opens its own. Throws store::StoreError.
    void Open(const QString& path, const QString& password);
    // Closes the library; its password is wiped and no snippet is shown.
    void Close();
    // Wipes the password from memory.
    void ForgetPassword();

    // The categories in list order; none when they cannot be read.
    std::vector<Category> Categories();
    // Throw store::StoreError; nothing changed then.
    qint64 AddCategory(const QString& name);
    void DeleteCategory(const QString& name, qint64 typeId);

    // The list shows the snippets of these categories; a search ends.
    void Tick(const QList<qint64>& typeIds);
    // Sorts by a column counted from 1 (Name, Type, Description, Date added, Source).
    void SortBy(int column);
    // The rows the three query parts select; none when nothing is ticked or the
    // query cannot run (a search text that does not parse).
    std::vector<SnippetRow> List();
    // What Export as HTML writes: the rows the list shows.
    QString ExportQuery() const;

    // The snippet whose content the viewer shows.
    std::optional<qint64> shownId;
    QString shownName;
    QString sCurType;  // its category
    BoxContent shownContent;

    // A snippet's content; none when it is gone. Throws store::StoreError.
    std::optional<QString> ReadContent(qint64 id);
    // The viewer now shows `row` with `content`.
    void Show(const SnippetRow& row, const QString& content);
    // No snippet is shown.
    void ShowNothing();
    // True when the viewer's text differs from what was put into it.
    bool Edited(const QString& boxPlain) const;

    enum class Saved { Yes, Gone, Changed };
    // Writes the viewer's text to the shown snippet. A snippet deleted meanwhile is
    // no longer shown: the text is all that is left of it. One someone else saved
    // since it was shown is left as they saved it (Changed) unless `overwrite`.
    // Throws store::StoreError.
    Saved SaveShown(const QString& boxPlain, bool overwrite = false);
    // Deletes a snippet; afterwards none is shown. Throws store::StoreError.
    void DeleteSnippet(qint64 id);
    // Throw store::StoreError.
    void ChangeDescription(qint64 id, const QString& text);
    void ChangeSource(qint64 id, const QString& text);
};

}  // namespace snippary
