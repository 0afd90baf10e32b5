#include "main/snippetlistmodel.h"

#include "store/generaldate.h"
#include "store/store.h"

namespace snippary {

namespace {
QString TextOf(const QVariant& value) { return value.isNull() ? QString() : value.toString(); }
}  // namespace

const QStringList& SnippetListModel::Headers() {
    static const QStringList headers = {QStringLiteral("Name"), QStringLiteral("Type"), QStringLiteral("Description"),
                                        QStringLiteral("Date added"), QStringLiteral("Source of code")};
    return headers;
}

SnippetListModel::SnippetListModel(QObject* parent) : QAbstractTableModel(parent) {}

int SnippetListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SnippetListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant SnippetListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const SnippetRow& r = rows_[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case NameColumn:
        return r.name;
    case TypeColumn:
        return r.typeName;
    case DescriptionColumn:
        return r.description;
    case DateColumn:
        return r.dateAdded.isValid() ? store::GeneralDate(r.dateAdded) : QString();
    case SourceColumn:
        return r.source;
    default:
        return {};
    }
}

QVariant SnippetListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) return {};
    return Headers().at(section);
}

void SnippetListModel::Reset(std::vector<SnippetRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

SnippetRow ReadSnippetRow(const store::Recordset& rs) {
    SnippetRow row;
    const QVariant id = rs.Fields(QStringLiteral("ID"));
    row.hasId = !id.isNull();
    row.id = id.toLongLong();
    row.name = TextOf(rs.Fields(QStringLiteral("Name")));
    row.typeName = TextOf(rs.Fields(QStringLiteral("TypeName")));
    row.description = TextOf(rs.Fields(QStringLiteral("Description")));
    const QVariant date = rs.Fields(QStringLiteral("DateAdded"));
    if (!date.isNull()) row.dateAdded = date.toDateTime();
    row.source = TextOf(rs.Fields(QStringLiteral("Source")));
    return row;
}

void SnippetListModel::Clear() {
    if (rows_.empty()) return;
    Reset({});
}

void SnippetListModel::Append(const SnippetRow& row) {
    const int at = rowCount();
    beginInsertRows(QModelIndex(), at, at);
    rows_.push_back(row);
    endInsertRows();
}

void SnippetListModel::Remove(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void SnippetListModel::SetDescription(int row, const QString& text) {
    if (row < 0 || row >= rowCount()) return;
    rows_[static_cast<size_t>(row)].description = text;
    Q_EMIT dataChanged(index(row, DescriptionColumn), index(row, DescriptionColumn));
}

void SnippetListModel::SetSource(int row, const QString& text) {
    if (row < 0 || row >= rowCount()) return;
    rows_[static_cast<size_t>(row)].source = text;
    Q_EMIT dataChanged(index(row, SourceColumn), index(row, SourceColumn));
}

}  // namespace snippary
