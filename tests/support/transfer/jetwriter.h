#pragma once
// A small writer of Access (Jet 3 and Jet 4) files for tests: the catalog and plain tables
// of long, text, memo and date columns, every memo on a chain of long-value pages. No indexes.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

namespace jetfixture {

enum class Version { Jet3, Jet4 };
enum class Kind { Long, Text, Memo, Date, Ole };

struct Column {
    QString name;
    Kind kind = Kind::Text;
    int size = 50;  // characters of a text column
};

struct Table {
    QString name;
    QList<Column> columns;
    QList<QVariantList> rows{};  // a null QVariant is Null; dates are QDateTime
};

// The file's bytes. Jet 3 texts are written in the Windows code page `codePage`, which the
// header names. Values must fit their column and page: nothing checks them but the reader.
QByteArray Write(Version version, const QList<Table>& tables, int codePage = 1252);

// The design's own schema with the given categories and snippets
// (rows: TypeID, Name, Description, DateAdded, Source, Content).
QList<Table> LibraryTables(const QStringList& categories, const QList<QVariantList>& snippets);

}  // namespace jetfixture
