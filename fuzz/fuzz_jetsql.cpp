// Statement texts: tokens give back the text exactly; translation refuses with a store error
// or gives SQLite text that the library runs or refuses, never worse. For a server every quoted
// text becomes a parameter the text refers to, and an address shown never shows its password.
// Changes are rolled back so every input meets the same library.
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdlib>

#include "store/connectionstring.h"
#include "store/jetsql.h"
#include "store/library.h"
#include "store/pgengine.h"
#include "store/statements.h"
#include "store/store.h"

namespace {

template <typename F>
void Try(F f) {
    try {
        f();
    } catch (const store::StoreError&) {
    }
}

store::Connection& Library() {
    static store::Connection* con = [] {
        const QString path = (new QTemporaryDir())->filePath("fuzz.snip");
        store::CreateLibrary(path, QString(), false);
        auto* c = new store::Connection();
        c->Open(store::ConnectionString::ForLibrary(path).Build());
        c->Execute(store::stmt::InsertCode(1, "a'b", "d", "1/1/2002", "s", "Sub x()\r\nEnd Sub"));
        c->Execute(store::stmt::InsertCode(4, "c", "", "12/31/2003 11:59:59 PM", "", "Instr(Content,'x')"));
        return c;
    }();
    return *con;
}

// The program only ever reads with a plain SELECT; recursive queries could run
// for ever and say nothing about the store.
bool PlainSelect(const QString& text) {
    if (text.trimmed().left(6).compare(QLatin1String("SELECT"), Qt::CaseInsensitive) != 0) return false;
    for (const char* word : {"RECURSIVE", "randomblob", "zeroblob"})
        if (text.contains(QLatin1String(word), Qt::CaseInsensitive)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    store::Connection& con = Library();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString joined;
    qsizetype literals = 0;
    for (const auto& t : store::jet::Tokenize(text)) {
        joined += t.text;
        literals += t.kind == store::jet::Token::String;
    }
    if (joined != text) std::abort();
    Try([&] {
        const store::jet::ServerStatement s = store::jet::TranslateForServer(text);
        if (s.parameters.size() > literals) std::abort();
        for (qsizetype i = s.parameters.size(); i > 0; --i)
            if (!s.text.contains(QStringLiteral("$%1").arg(i))) std::abort();
    });
    static const QRegularExpression withPassword(QStringLiteral("^postgres(?:ql)?://[^:@/?]*:([^@/?]+)@"),
                                                 QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = withPassword.match(text);
        m.hasMatch() && m.captured(1).size() > 3 && !m.captured(1).contains(u'&'))
        if (store::pg::ShownAddress(text).contains(m.captured(1) + u'@')) std::abort();

    bool translated = false;
    Try([&] {
        (void)store::jet::Translate(text);
        translated = true;
    });
    if (!translated || !PlainSelect(text)) return 0;
    Try([&] { con.BeginTrans(); });
    Try([&] {
        store::Recordset rs;
        rs.Open(text, &con);
        for (int i = 0; i < 100 && !rs.Eof(); ++i, rs.MoveNext())
            for (int c = 0; c < 8; ++c) Try([&] { (void)rs.Fields(c); });
    });
    Try([&] { con.RollbackTrans(); });
    return 0;
}
