// Statement texts: tokens give back the text exactly; translation either refuses
// with a store error or gives SQLite text that the library runs or refuses, never
// anything worse. For a server every quoted text becomes a parameter the text
// refers to, and an address shown never shows its password. Changes are rolled back so every input meets the same library.
#include <QCoreApplication>
#include <QDir>
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

store::Connection* Library() {
    static QTemporaryDir* dir = new QTemporaryDir();
    static store::Connection* con = [] {
        const QString path = dir->filePath("fuzz.snip");
        store::CreateLibrary(path, QString(), false);
        auto* c = new store::Connection();
        store::ConnectionString cs;
        cs.dataSource = path;
        c->Open(cs.Build());
        c->Execute(store::stmt::InsertCode(1, "a'b", "d", "1/1/2002", "s", "Sub x()\r\nEnd Sub"));
        c->Execute(store::stmt::InsertCode(4, "c", "", "12/31/2003 11:59:59 PM", "", "Instr(Content,'x')"));
        return c;
    }();
    return con;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool localeSet = [] {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        return true;
    }();
    (void)localeSet;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString joined;
    for (const auto& t : store::jet::Tokenize(text)) joined += t.text;
    if (joined != text) std::abort();

    try {
        const store::jet::ServerStatement s = store::jet::TranslateForServer(text);
        int literals = 0;
        for (const auto& t : store::jet::Tokenize(text)) literals += t.kind == store::jet::Token::String;
        if (s.parameters.size() > literals) std::abort();
        for (qsizetype i = s.parameters.size(); i > 0; --i)
            if (!s.text.contains(QStringLiteral("$%1").arg(i))) std::abort();
    } catch (const store::StoreError&) {
    }
    static const QRegularExpression withPassword(QStringLiteral("^postgres(?:ql)?://[^:@/?]*:([^@/?]+)@"),
                                                 QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = withPassword.match(text);
        m.hasMatch() && m.captured(1).size() > 3 && !m.captured(1).contains(u'&'))
        if (store::pg::ShownAddress(text).contains(m.captured(1) + u'@')) std::abort();

    store::Connection* con = Library();
    try {
        store::jet::Translate(text);
    } catch (const store::StoreError&) {
        return 0;
    }
    // The program only ever reads with a plain SELECT; recursive queries could run
    // for ever and say nothing about the store.
    const QString head = text.trimmed().left(6);
    if (head.compare(QLatin1String("SELECT"), Qt::CaseInsensitive) != 0 ||
        text.contains(QLatin1String("RECURSIVE"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("randomblob"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("zeroblob"), Qt::CaseInsensitive))
        return 0;
    try {
        con->BeginTrans();
        store::Recordset rs;
        try {
            rs.Open(text, con);
            for (int i = 0; i < 100 && !rs.Eof(); ++i) {
                for (int c = 0; c < 8; ++c) {
                    try {
                        (void)rs.Fields(c);
                    } catch (const store::StoreError&) {
                    }
                }
                rs.MoveNext();
            }
            rs.Close();
        } catch (const store::StoreError&) {
        }
        con->RollbackTrans();
    } catch (const store::StoreError&) {
        try {
            con->RollbackTrans();
        } catch (const store::StoreError&) {
        }
    }
    return 0;
}
