#pragma once
// The connection string of the Load Database dialog, built and read in one place.
#include <QString>
#include <utility>

namespace store {

struct ConnectionString {
    // PostgreSQL: a team library on a server; the data source is its libpq address.
    enum Provider { Jet351 = 0, Jet40 = 1, PostgreSQL = 2 };
    Provider provider = Jet351;
    QString dataSource;
    QString password;  // empty: no password piece
    bool persistSecurityInfo = false;

    // "Provider=Microsoft.Jet.OLEDB.3.51;Data Source=" + path + ";Persist Security Info=False;"
    // [+ "Jet OLEDB:Database Password=" + password]. A value holding ';' or '"' (or
    // leading/trailing blanks) is written in double quotes with '"' doubled.
    QString Build() const;
    // Reads what Build writes, honouring quotes. Throws StoreError on a malformed
    // string or an unknown provider.
    static ConnectionString Parse(const QString& text);
    // The string for a library named as the user names one: a server address
    // (postgresql://...) or a file path.
    static ConnectionString ForLibrary(const QString& library, const QString& password = QString());
};

// Overwrites a text that held a password, in place: every copy sharing its buffer
// is wiped with it, so no freed block keeps the password.
void WipeSecret(QString& text);

// A text holding a password (or a connection string with one), wiped when it goes
// out of scope, however the scope is left.
struct SecretText {
    QString text;
    SecretText() = default;
    explicit SecretText(QString t) : text(std::move(t)) {}
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;
    ~SecretText() { WipeSecret(text); }
};

}  // namespace store
