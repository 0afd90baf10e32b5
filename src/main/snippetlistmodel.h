#pragma once
// The rows of the snippet list (lvTOC) in report form: Name, Type, Description,
// Date added, Source of code. Filled whole in one reset; the date text is made
// when a row is shown, so a large list costs no formatting up front.
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "main/snippetrow.h"

namespace store {
class Recordset;
}  // namespace store

namespace snippary {

class SnippetListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, TypeColumn, DescriptionColumn, DateColumn, SourceColumn, ColumnCount };
    static const QStringList& Headers();  // "Name", "Type", ...

    explicit SnippetListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const SnippetRow& Row(int row) const { return rows_[static_cast<size_t>(row)]; }
    const std::vector<SnippetRow>& Rows() const { return rows_; }

    // Replaces every row in one reset.
    void Reset(std::vector<SnippetRow> rows);
    void Clear();
    void Append(const SnippetRow& row);
    void Remove(int row);
    void SetDescription(int row, const QString& text);
    void SetSource(int row, const QString& text);

private:
    std::vector<SnippetRow> rows_;
};

// One row of qDisplay as the list holds it.
SnippetRow ReadSnippetRow(const store::Recordset& rs);

}  // namespace snippary
