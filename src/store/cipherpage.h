#pragma once
#include <QByteArray>
#include <QString>
#include <vector>

namespace store::sqlite {

// One row of a database's schema table, as the schema check compares it.
struct SchemaRow {
    QByteArray type, name, table, sql;
    bool operator==(const SchemaRow&) const = default;
};

// The schema of a database as its first page holds it, read without any engine.
struct SchemaPage {
    qint64 applicationId = 0;
    qint64 userVersion = 0;
    std::vector<SchemaRow> rows;
};

// The first page of the encrypted library at `path`, decrypted with `password`;
// `rawKey` receives the derived key in the cipher engine's raw-key form, so that the
// slow key derivation runs once per open. Throws StoreError (a wrong password is
// kBadPassword).
QByteArray DecryptedSchemaPage(const QString& path, const QByteArray& password, QByteArray* rawKey);

// Reads the schema table from a database's first page. A schema that does not fit
// on that page (never so for our libraries) or that the page does not hold whole
// and well-formed is refused with kForeignSchema. Throws StoreError.
SchemaPage ReadSchemaPage(const QByteArray& page, const QString& path);

}  // namespace store::sqlite
