#include "store/connectionstring.h"

#include "store/store.h"

namespace store {

namespace {

const QLatin1String kJet351("Microsoft.Jet.OLEDB.3.51");
const QLatin1String kJet40("Microsoft.Jet.OLEDB.4.0");

// A path or password with ';' or '"' would cut the string short where it stands
// as typed; such a value is written in double quotes, '"' doubled.
QString Value(const QString& v) {
    const bool needsQuotes = v.contains(u';') || v.contains(u'"') ||
                             (!v.isEmpty() && (v.front().isSpace() || v.back().isSpace()));
    if (!needsQuotes) return v;
    QString inner = v;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

[[noreturn]] void Malformed(const QString& why) {
    throw StoreError(errors::kBadArguments, QStringLiteral("The connection string is not valid: %1.").arg(why));
}

}  // namespace

QString ConnectionString::Build() const {
    QString s = QStringLiteral("Provider=") + (provider == Jet351 ? kJet351 : kJet40) +
                QStringLiteral(";Data Source=") + Value(dataSource) + QStringLiteral(";Persist Security Info=") +
                (persistSecurityInfo ? QStringLiteral("True;") : QStringLiteral("False;"));
    if (!password.isEmpty()) s += QStringLiteral("Jet OLEDB:Database Password=") + Value(password);
    return s;
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
            if (p.compare(kJet351, Qt::CaseInsensitive) == 0) cs.provider = Jet351;
            else if (p.compare(kJet40, Qt::CaseInsensitive) == 0) cs.provider = Jet40;
            else
                throw StoreError(errors::kProvider,
                                 QStringLiteral("Provider cannot be found: '%1'.").arg(p));
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
