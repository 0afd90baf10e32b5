#pragma once
// The statement catalogue: every SQL text the program issues, built exactly, and
// the condition texts of the snippet query. Shared by the window and the command line.
#include <QList>
#include <QString>
#include <array>

namespace store {

// Every apostrophe doubled; nothing else changed.
QString SqlQuote(const QString& text);

namespace stmt {
QString SelectTypes();  // 1
QString SelectDisplay(const QString& sWhere, const QString& sFind,
                      const QString& sOrder);                      // 2
QString SelectContent(qint64 id);                                  // 3
QString UpdateContent(qint64 id, const QString& content);          // 4
QString UpdateDescription(qint64 id, const QString& description);  // 5
QString UpdateSource(qint64 id, const QString& source);            // 6
QString DeleteCode(qint64 id);                                     // 7
QString InsertType(const QString& typeName);                       // 8
QString DeleteTypeByName(const QString& typeName);                 // 9
QString DeleteCodeOfType(qint64 typeId);                           // 10
QString InsertCode(qint64 typeId, const QString& name, const QString& description, const QString& dateText,
                   const QString& source,
                   const QString& content);  // 11
QString SelectMaxId();                       // 12
}  // namespace stmt

// The searched columns, indexed like the search page's check boxes.
inline const std::array<QString, 5> sFieldsDefault = {QStringLiteral("Name"), QStringLiteral("Description"),
                                                      QStringLiteral("Source"), QStringLiteral("Content"), QString()};

// sWhere from the ticked categories' TypeIDs in list order; empty when none.
QString BuildWhere(const QList<qint64>& tickedTypeIds);
// sFind from the search text, the four column ticks and the two date texts.
QString BuildFind(const QString& searchText, const std::array<bool, 4>& columns, const QString& fromText,
                  const QString& toText);
// sOrder for a clicked column (1..5); any other column keeps `current`.
QString OrderForColumn(int column, const QString& current);
// Statement 2 as the export runs it: when sWhere is empty but a search is in
// force, the search applies to the whole library (its first " AND" becomes " WHERE").
QString ExportQuery(const QString& sWhere, const QString& sFind, const QString& sOrder);

}  // namespace store
