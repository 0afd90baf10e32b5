#include "generate.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <random>

#include "store/generaldate.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "store/statements.h"
#include "store/store.h"

namespace bench {

namespace {

// A small grammar of VB code: declarations, procedures with bodies of statements,
// comments, strings holding apostrophes, line continuations.
class VbWriter {
public:
    explicit VbWriter(std::uint32_t seed) : rng_(seed) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    template <size_t N>
    const char* Of(const char* const (&list)[N]) {
        return list[Pick(int(N))];
    }

    QString Ident() {
        static const char* const parts[] = {"Count", "Name", "Item", "Index", "Buffer", "Total",  "Path",   "Key",
                                            "Value", "Row",  "Col",  "List",  "Text",   "Handle", "Result", "Flag"};
        return QString::fromLatin1(Of(parts)) + QString::fromLatin1(Of(parts));
    }
    QString Type() {
        static const char* const types[] = {"Long", "String", "Integer", "Boolean", "Variant", "Double", "Object"};
        return QString::fromLatin1(Of(types));
    }
    QString StringLiteral() {
        static const char* const texts[] = {"it's done",  "Can't open the file", "Don't panic",  "Hello, world",
                                            "C:\\Temp\\", "O'Brien's list",      "Select a row", "%d items"};
        return u'"' + QString::fromLatin1(Of(texts)) + u'"';
    }
    QString Statement(int indent) {
        const QString pad(indent * 4, u' ');
        switch (Pick(9)) {
        case 0:
            return pad + "Dim " + Ident() + " As " + Type();
        case 1:
            return pad + Ident() + " = " + Ident() + " + " + QString::number(Pick(1000));
        case 2:
            return pad + "If " + Ident() + " > " + QString::number(Pick(100)) + " Then " + Ident() + " = 0";
        case 3:
            return pad + "MsgBox " + StringLiteral() + ", vbOKOnly, " + StringLiteral() + " ' tell the user";
        case 4:
            return pad + "' " + QString::fromLatin1(Of(comments()));
        case 5:
            return pad + "For i = 1 To " + QString::number(Pick(50) + 1) + "\r\n" + pad + "    " + Ident() +
                   "(i) = Trim$(" + Ident() + "(i))\r\n" + pad + "Next i";
        case 6:
            return pad + "Debug.Print " + StringLiteral() + "; " + Ident();
        case 7:
            return pad + "Call " + Ident() + "(" + Ident() + ", _\r\n" + pad + "    " + StringLiteral() + ")";
        default:
            return pad + "On Error Resume Next";
        }
    }
    static const char* const (&comments())[8] {
        static const char* const c[] = {
            "keep the caller's value",      "the list is 1-based here", "don't touch", "TODO: check for Null",
            "returns -1 when it's missing", "see the user's settings",  "fast path",   "Rem old code below"};
        return c;
    }
    QString Procedure() {
        const bool function = Pick(2) == 0;
        QString head = QString::fromLatin1(Pick(3) == 0 ? "Private " : "Public ") + (function ? "Function " : "Sub ") +
                       Ident() + "(ByVal " + Ident() + " As " + Type() + ")";
        if (function) head += " As " + Type();
        QStringList lines{head};
        const int n = 2 + Pick(12);
        for (int i = 0; i < n; ++i) lines << Statement(1);
        lines << (function ? "End Function" : "End Sub");
        return lines.join("\r\n");
    }
    // About `bytes` of code: a header comment, declarations, procedures.
    QString Content(int bytes) {
        QString out = "' " + QString::fromLatin1(Of(comments())) + "\r\nOption Explicit\r\n";
        while (out.size() < bytes) out += "\r\n" + (Pick(4) == 0 ? Statement(0) : Procedure()) + "\r\n";
        out.truncate(bytes);
        return out;
    }
    int ContentSize() {
        // 0.2 - 8 KB, most near 1-2 KB: the average is about 2 KB.
        std::lognormal_distribution<double> d(7.35, 0.7);
        const double v = d(rng_);
        return int(std::clamp(v, 200.0, 8192.0));
    }

private:
    std::mt19937 rng_;
};

}  // namespace

void GenerateLibrary(const QString& path, const LibrarySpec& spec) {
    store::CreateLibrary(path, spec.password, false);
    store::ConnectionString cs;
    cs.dataSource = path;
    cs.password = spec.password;
    store::Connection con;
    con.Open(cs.Build());
    for (int c = 5; c < spec.categories; ++c)
        con.Execute(store::stmt::InsertType(QStringLiteral("Category %1").arg(c + 1)));

    VbWriter vb(spec.seed);
    const QDateTime start(QDate(2006, 1, 1), QTime(0, 0));
    const qint64 span = qint64(20) * 365 * 24 * 3600;
    con.BeginTrans();
    for (int i = 0; i < spec.snippets; ++i) {
        const QString name = vb.Ident() + QStringLiteral(" %1").arg(i);
        QString content = vb.Content(vb.ContentSize());
        // Every hundredth snippet holds the rare word, somewhere in its code.
        if (i % 100 == 37) content.insert(vb.Pick(int(content.size())), QLatin1String(RareWord));
        const QDateTime added = start.addSecs((span / spec.snippets) * i + vb.Pick(3600));
        con.Execute(store::stmt::InsertCode(1 + vb.Pick(spec.categories), name, "Does " + vb.Ident(),
                                            store::GeneralDate(added), "Generated", content));
    }
    con.CommitTrans();
}

}  // namespace bench
