#include "store/connectionstring.h"

#include <cstring>

#include "store/pgengine.h"
#include "store/store.h"

namespace store {

namespace {

const QLatin1String kJet351("Microsoft.Jet.OLEDB.3.51");
const QLatin1String kJet40("Microsoft.Jet.OLEDB.4.0");
const QLatin1String kPostgreSQL("PostgreSQL");

// A path or password with ';' or '"' would cut the string short where it stands
// as typed; such a value is written in double quotes, '"' doubled. Appended in
// place, so no temporary copy of a password is left behind in freed memory.
void AppendValue(QString& s, const QString& v) {
    const bool needsQuotes =
        v.contains(u';') || v.contains(u'"') || (!v.isEmpty() && (v.front().isSpace() || v.back().isSpace()));
    if (!needsQuotes) {
        s += v;
        return;
    }
    s += u'"';
    for (const QChar c : v) {
        s += c;
        if (c == u'"') s += c;
    }
    s += u'"';
}

[[noreturn]] void Malformed(const QString& why) {
    throw StoreError(errors::kBadArguments, QStringLiteral("The connection string is not valid: %1.").arg(why));
}

}  // namespace

QString ConnectionString::Build() const {
    QString s;
    // Room for every piece, quotes and doubled quotes included: the string never
    // moves while the password is in it.
    s.reserve(160 + 2 * (dataSource.size() + password.size()));
    s += QStringLiteral("Provider=");
    s += provider == Jet351 ? kJet351 : provider == Jet40 ? kJet40 : kPostgreSQL;
    s += QStringLiteral(";Data Source=");
    AppendValue(s, dataSource);
    s += QStringLiteral(";Persist Security Info=");
    s += persistSecurityInfo ? QStringLiteral("True;") : QStringLiteral("False;");
    if (!password.isEmpty()) {
        s += QStringLiteral("Jet OLEDB:Database Password=");
        AppendValue(s, password);
    }
    return s;
}

ConnectionString ConnectionString::ForLibrary(const QString& library, const QString& password) {
    ConnectionString cs;
    cs.provider = pg::IsAddress(library) ? PostgreSQL : Jet40;
    cs.dataSource = library;
    cs.password = password;
    return cs;
}

void WipeSecret(QString& text) {
    // A literal's text is read-only and holds no secret.
    if (!text.isEmpty() && text.data_ptr().d_ptr() != nullptr)
        explicit_bzero(const_cast<QChar*>(text.constData()), size_t(text.size()) * sizeof(QChar));
    text = QString();
}

ConnectionString ConnectionString::Parse(const QString& text) {
    ConnectionString cs;
    bool haveProvider = false;
    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        int eq = int(text.indexOf(u'=', i));
        if (eq < 0) {
            if (!text.mid(i).trimmed().isEmpty()) Malformed(QStringLiteral("a piece without '='"));
            break;
        }
        const QString key = text.mid(i, eq - i).trimmed();
        int j = eq + 1;
        while (j < n && text[j] == u' ') ++j;
        QString value;
        if (j < n && text[j] == u'"') {
            ++j;
            value.reserve(n - j);  // grown once: a password leaves no copies behind
            for (;;) {
                if (j >= n) Malformed(QStringLiteral("a quote is not closed"));
                if (text[j] == u'"') {
                    if (j + 1 < n && text[j + 1] == u'"') {
                        value += u'"';
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += text[j++];
            }
            while (j < n && text[j] == u' ') ++j;
            if (j < n && text[j] != u';') Malformed(QStringLiteral("text after a quoted value"));
        } else {
            int end = int(text.indexOf(u';', j));
            if (end < 0) end = n;
            value = text.mid(j, end - j);
            j = end;
        }
        i = j + 1;  // past the ';'

        if (key.compare(QLatin1String("Provider"), Qt::CaseInsensitive) == 0) {
            const QString p = value.trimmed();
            if (p.compare(kJet351, Qt::CaseInsensitive) == 0)
                cs.provider = Jet351;
            else if (p.compare(kJet40, Qt::CaseInsensitive) == 0)
                cs.provider = Jet40;
            else if (p.compare(kPostgreSQL, Qt::CaseInsensitive) == 0)
                cs.provider = PostgreSQL;
            else
                throw StoreError(errors::kProvider, QStringLiteral("Provider cannot be found: '%1'.").arg(p));
            haveProvider = true;
        } else if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0) {
            cs.dataSource = value;
        } else if (key.compare(QLatin1String("Persist Security Info"), Qt::CaseInsensitive) == 0) {
            cs.persistSecurityInfo = value.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
        } else if (key.compare(QLatin1String("Jet OLEDB:Database Password"), Qt::CaseInsensitive) == 0) {
            cs.password = value;
        } else if (key.isEmpty()) {
            Malformed(QStringLiteral("a piece without a name"));
        }
        // Other pieces (user id, mode, ...) mean nothing to this store.
    }
    if (!haveProvider) Malformed(QStringLiteral("no provider"));
    return cs;
}

}  // namespace store
