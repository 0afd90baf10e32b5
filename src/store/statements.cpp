#include "store/statements.h"

namespace store {

QString SqlQuote(const QString& text) {
    QString out = text;
    out.replace(u'\'', QStringLiteral("''"));
    return out;
}

namespace stmt {

namespace {
QString Num(qint64 n) { return QString::number(n); }
}  // namespace

QString SelectTypes() { return QStringLiteral("SELECT * FROM Types ORDER BY TypeID"); }

QString SelectDisplay(const QString& sWhere, const QString& sFind, const QString& sOrder) {
    return QStringLiteral("SELECT * FROM qDisplay ") + sWhere + sFind + sOrder;
}

QString SelectContent(qint64 id) { return QStringLiteral("SELECT Content FROM Code WHERE ID=") + Num(id); }

QString UpdateContent(qint64 id, const QString& content) {
    return QStringLiteral("UPDATE Code SET Content='") + SqlQuote(content) + QStringLiteral("' WHERE ID=") + Num(id);
}

QString UpdateDescription(qint64 id, const QString& description) {
    return QStringLiteral("UPDATE Code SET Description='") + SqlQuote(description) + QStringLiteral("' WHERE ID=") +
           Num(id);
}

QString UpdateSource(qint64 id, const QString& source) {
    return QStringLiteral("UPDATE Code SET Source='") + SqlQuote(source) + QStringLiteral("' WHERE ID=") + Num(id);
}

QString DeleteCode(qint64 id) { return QStringLiteral("DELETE FROM Code WHERE ID=") + Num(id); }

QString InsertType(const QString& typeName) {
    return QStringLiteral("INSERT INTO Types(TypeName) VALUES('") + SqlQuote(typeName) + QStringLiteral("')");
}

QString DeleteTypeByName(const QString& typeName) {
    return QStringLiteral("DELETE FROM Types WHERE TypeName='") + SqlQuote(typeName) + u'\'';
}

QString DeleteCodeOfType(qint64 typeId) { return QStringLiteral("DELETE FROM Code WHERE TypeID=") + Num(typeId); }

QString InsertCode(qint64 typeId, const QString& name, const QString& description, const QString& dateText,
                   const QString& source, const QString& content) {
    return QStringLiteral("INSERT INTO Code (TypeID,Name,Description,DateAdded,Source,Content) VALUES(") + Num(typeId) +
           QStringLiteral(",'") + SqlQuote(name) + QStringLiteral("','") + SqlQuote(description) +
           QStringLiteral("','") + dateText + QStringLiteral("','") + SqlQuote(source) + QStringLiteral("','") +
           SqlQuote(content) + QStringLiteral("')");
}

QString SelectMaxId() { return QStringLiteral("SELECT Max(ID) FROM Code"); }

}  // namespace stmt

QString BuildWhere(const QList<qint64>& tickedTypeIds) {
    QString sWhere = QStringLiteral(" WHERE (");
    for (qint64 id : tickedTypeIds)
        sWhere += QStringLiteral(" Types.TypeID=") + QString::number(id) + QStringLiteral(" OR");
    if (sWhere == QLatin1String(" WHERE (")) return QString();
    sWhere.chop(3);
    return sWhere + u')';
}

QString BuildFind(const QString& searchText, const std::array<bool, 4>& columns, const QString& fromText,
                  const QString& toText) {
    QString sFind;
    bool anyColumn = false;
    for (bool c : columns) anyColumn = anyColumn || c;
    if (!searchText.isEmpty() && anyColumn) {
        sFind = QStringLiteral(" AND (");
        for (int i = 0; i < 4; ++i) {
            if (!columns[size_t(i)]) continue;
            sFind += QStringLiteral(" Instr(") + sFieldsDefault[size_t(i)] + QStringLiteral(",'") +
                     SqlQuote(searchText) + QStringLiteral("')>0 OR");
        }
        sFind.chop(3);
        sFind += u')';
    }
    if (!fromText.isEmpty()) sFind += QStringLiteral(" AND (DateAdded>='") + fromText + QStringLiteral("')");
    if (!toText.isEmpty()) sFind += QStringLiteral(" AND (DateAdded<='") + toText + QStringLiteral("')");
    return sFind;
}

QString OrderForColumn(int column, const QString& current) {
    static const char* const columns[] = {"Name", "TypeName", "Description", "DateAdded", "Source"};
    if (column < 1 || column > 5) return current;
    return QStringLiteral(" ORDER BY ") + QLatin1String(columns[column - 1]);
}

QString ExportQuery(const QString& sWhere, const QString& sFind, const QString& sOrder) {
    if (sWhere.isEmpty() && sFind.startsWith(QLatin1String(" AND")))
        return stmt::SelectDisplay(QString(), QStringLiteral(" WHERE") + sFind.mid(4), sOrder);
    return stmt::SelectDisplay(sWhere, sFind, sOrder);
}

}  // namespace store
