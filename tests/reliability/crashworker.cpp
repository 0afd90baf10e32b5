// The worker the crash test kills: changes the library for ever, one change at a
// time, saying "begin ..." before and "done ..." after each, flushed at once.
#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>
#include <random>

#include "export/htmlwriter.h"
#include "main/adding.h"
#include "main/categorystore.h"
#include "store/connectionstring.h"
#include "store/statements.h"
#include "store/store.h"

namespace {

void Say(const QString& line) {
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

QList<qint64> Column(store::Connection& con, const QString& sql) {
    QList<qint64> out;
    store::Recordset rs;
    for (rs.Open(sql, &con); !rs.Eof(); rs.MoveNext()) out << rs.Fields(0).toLongLong();
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const QString library = a.value(1), page = a.value(2);
    std::mt19937 rng(a.value(3).toUInt());
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    store::ConnectionString cs;
    cs.dataSource = library;
    store::Connection con;
    con.Open(cs.Build());
    for (int i = 0;; ++i) {
        const QString tag = QStringLiteral("%1-%2").arg(a.value(3)).arg(i);
        const int op = pick(10);
        try {
            const QList<qint64> ids = Column(con, "SELECT ID FROM Code");
            const QList<qint64> types = Column(con, "SELECT TypeID FROM Types WHERE TypeID>5");
            if (op < 4 || ids.isEmpty()) {
                snippary::NewSnippet s;
                s.typeId = types.isEmpty() || pick(2) ? 1 + pick(5) : types[pick(int(types.size()))];
                s.name = "n" + tag;
                s.content = "c" + tag + "\r\n'); DROP TABLE Code; -- it's " + QString(pick(20000), u'x');
                Say("begin add " + tag);
                const snippary::AddOutcome r = snippary::AddSnippet(&con, s, QDateTime::currentDateTime());
                if (!r.ok) return 3;
                Say(QStringLiteral("done add %1 %2 %3").arg(tag).arg(r.row.id).arg(s.typeId));
            } else if (op < 6) {
                const qint64 id = ids[pick(int(ids.size()))];
                Say(QStringLiteral("begin save %1 %2").arg(tag).arg(id));
                con.Execute(store::stmt::UpdateContent(id, "saved " + tag));
                Say(QStringLiteral("done save %1 %2").arg(tag).arg(id));
            } else if (op < 7) {
                const qint64 id = ids[pick(int(ids.size()))];
                Say(QStringLiteral("begin del %1 %2").arg(tag).arg(id));
                con.Execute(store::stmt::DeleteCode(id));
                Say(QStringLiteral("done del %1 %2").arg(tag).arg(id));
            } else if (op < 8) {
                Say("begin cat " + tag);
                const qint64 typeId = snippary::InsertCategory(con, "Cat " + tag);
                Say(QStringLiteral("done cat %1 %2").arg(tag).arg(typeId));
            } else if (op < 9 && !types.isEmpty()) {
                const qint64 typeId = types[pick(int(types.size()))];
                store::Recordset rs;
                rs.Open(QStringLiteral("SELECT TypeName FROM Types WHERE TypeID=%1").arg(typeId), &con);
                const QString name = rs.Fields(0).toString();
                rs.Close();
                Say(QStringLiteral("begin delcat %1 %2").arg(tag).arg(typeId));
                snippary::DeleteCategory(con, name, typeId);
                Say(QStringLiteral("done delcat %1 %2").arg(tag).arg(typeId));
            } else {
                Say("begin export " + tag);
                exporting::ExportOptions o;
                o.colors = pick(2) == 0;
                exporting::WriteHtmlPage(con, store::ExportQuery(QString(), QString(), QString()), o, page);
                Say("done export " + tag);
            }
        } catch (const store::StoreError& e) {
            Say("error " + e.Message());
            return 4;
        }
    }
}
