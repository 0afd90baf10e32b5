// snippary_bench: measures the library on synthetic data. Without arguments it
// runs everything and prints one table; each figure is the median of several runs,
// each run a fresh process so its peak memory is its own.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

#include "cli/runner.h"
#include "export/colorline.h"
#include "export/htmlwriter.h"
#include "library/generate.h"
#include "main/categorystore.h"
#include "main/librarysession.h"
#include "main/snippetlistmodel.h"
#include "store/connectionstring.h"
#include "store/generaldate.h"
#include "store/library.h"
#include "store/statements.h"
#include "store/store.h"

namespace {

const char* const kPassword = "bench-password";

long PeakRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void Report(double ms, const QString& extra = QString()) {
    std::printf("ms=%.3f rss=%ld %s\n", ms, PeakRssKb(), qPrintable(extra));
}

QString Cs(const QString& path, bool encrypted) {
    return store::ConnectionString::ForLibrary(path, encrypted ? QString::fromLatin1(kPassword) : QString()).Build();
}

// One snippet added as the window adds it (statement 11 and the new ID).
int Add(const QString& path) {
    QElapsedTimer t;
    t.start();
    store::Connection con;
    con.Open(Cs(path, false));
    const double openMs = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    // The date as the window writes one, in the locale the benchmark runs in.
    con.Execute(store::stmt::InsertCode(1, "bench", "added", store::GeneralDate(QDateTime::currentDateTime()), "bench",
                                        "Sub Bench()\r\nEnd Sub"));
    store::Recordset rs;
    rs.Open(store::stmt::SelectMaxId(), &con);
    const qint64 id = rs.Fields(0).toLongLong();
    rs.Close();
    Report(double(t.nsecsElapsed()) / 1e6, QStringLiteral("open=%1ms id=%2").arg(openMs, 0, 'f', 1).arg(id));
    con.Execute(store::stmt::DeleteCode(id));  // the next run measures the same library
    return 0;
}

// A whole file library to a server, as `snippary copy` does it.
int Copy(const QString& from, const QString& to) {
    QElapsedTimer t;
    t.start();
    cli::Io io;
    const int status = cli::RunVerb({"copy", from, to}, io);
    if (status != 0) std::fprintf(stderr, "%s", io.err.constData());
    Report(double(t.nsecsElapsed()) / 1e6, QStringLiteral("copied=%1").arg(QString::fromUtf8(io.out.trimmed())));
    return status;
}

// Open, fill the categories, tick them all, list: what a user waits for.
int List(const QString& path, bool encrypted, const QString& word) {
    QElapsedTimer t;
    t.start();
    snippary::LibrarySession library;
    library.Open(Cs(path, encrypted), path, QString());
    QList<qint64> ids;
    for (const auto& c : library.Categories()) ids << c.typeId;
    library.Tick(ids);
    library.sFind = word.isEmpty() ? QString() : store::BuildFind(word, {true, true, true, true}, "", "");
    // What a user waits for after Find in a window that is already open: the list alone.
    const qint64 opened = t.nsecsElapsed();
    snippary::SnippetListModel model;
    model.Reset(library.List());
    const double ms = double(t.nsecsElapsed()) / 1e6;
    Report(ms, QStringLiteral("rows=%1 list=%2ms").arg(model.rowCount()).arg(ms - double(opened) / 1e6, 0, 'f', 1));
    return 0;
}

QByteArray AllContent(const QString& path) {
    store::Connection con;
    con.Open(Cs(path, false));
    store::Recordset rs;
    QByteArray all;
    for (rs.Open("SELECT Content FROM Code", &con); !rs.Eof(); rs.MoveNext())
        all += rs.Fields(0).toString().toUtf8() + "\r\n";
    return all;
}

int Dump(const QString& path, const QString& out) {
    QFile f(out);
    if (!f.open(QIODevice::WriteOnly)) return 2;
    f.write(AllContent(path));
    return 0;
}

int Colour(const QString& path) {
    store::Connection con;
    con.Open(Cs(path, false));
    store::Recordset rs;
    QStringList contents;
    qint64 bytes = 0;
    for (rs.Open("SELECT Content FROM Code", &con); !rs.Eof(); rs.MoveNext()) {
        contents << "\r\n" + rs.Fields(0).toString();
        bytes += contents.last().toUtf8().size();
    }
    exporting::FillKeywordTables();
    QElapsedTimer t;
    t.start();
    qint64 out = 0;
    for (const QString& c : contents) out += exporting::ColorLine(c).size();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    // The scan limit: one memchr pass over the same bytes.
    QByteArray raw;
    for (const QString& c : contents) raw += c.toUtf8();
    t.restart();
    qint64 lines = 0;
    for (const char* p = raw.constData();
         (p = static_cast<const char*>(std::memchr(p, '\n', size_t(raw.constData() + raw.size() - p)))) != nullptr; ++p)
        ++lines;
    const double refMs = double(t.nsecsElapsed()) / 1e6;
    Report(ms, QStringLiteral("mbps=%1 refmbps=%2 check=%3")
                   .arg(double(bytes) / 1e6 / (ms / 1e3), 0, 'f', 1)
                   .arg(double(bytes) / 1e6 / (refMs / 1e3), 0, 'f', 1)
                   .arg(out + lines));
    return 0;
}

int Export(const QString& path, const QString& out) {
    QFile::remove(out);
    QElapsedTimer t;
    t.start();
    store::Connection con;
    con.Open(Cs(path, false));
    exporting::ExportOptions o;
    o.numbered = true;
    o.colors = true;
    o.fontName = "Courier New";
    o.fontSize = 10;
    o.homePage = "https://vbsnippary.example.org/";
    exporting::WriteHtmlPage(con, store::ExportQuery(QString(), QString(), QString()), o, out);
    Report(double(t.nsecsElapsed()) / 1e6, QStringLiteral("bytes=%1").arg(QFileInfo(out).size()));
    return 0;
}

// ---- the orchestrator ----

struct Sample {
    double ms = 0;
    long rss = 0;
    QString extra;
};

Sample Parse(const QByteArray& line) {
    Sample s;
    for (const QByteArray& part : line.trimmed().split(' ')) {
        if (part.startsWith("ms="))
            s.ms = part.mid(3).toDouble();
        else if (part.startsWith("rss="))
            s.rss = part.mid(4).toLong();
        else
            s.extra += QString::fromLatin1(part) + u' ';
    }
    return s;
}

double Median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

// Runs `program args` `runs` times; the median wall time of the process when
// `external`, else the median of what the child reports.
Sample Measure(const QString& program, const QStringList& args, int runs, bool external = false) {
    QList<double> ms, rss, lists;
    Sample last;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer t;
        t.start();
        p.start(program, args);
        p.waitForFinished(-1);
        const double wall = double(t.nsecsElapsed()) / 1e6;
        const QByteArray out = p.readAllStandardOutput();
        if (external) {
            last.extra = QString::fromLatin1(out.trimmed());
            ms << wall;
        } else {
            last = Parse(out.split('\n').first());
            ms << last.ms;
            const qsizetype at = last.extra.indexOf(QLatin1String("list="));
            if (at >= 0) lists << QStringView(last.extra).mid(at + 5).split(u'm').first().toDouble();
            rss << double(last.rss);
        }
    }
    last.ms = Median(ms);
    last.rss = long(Median(rss));
    // The list alone, as a median too.
    if (!lists.isEmpty())
        last.extra.replace(QRegularExpression(QStringLiteral("list=[0-9.]+ms")),
                           QStringLiteral("list=%1ms").arg(Median(lists), 0, 'f', 1));
    return last;
}

// The same libraries on a PostgreSQL server of the benchmark's own (the tests'
// server script, in a temporary folder): copy, open + list, search, add.
void Server(const QString& self, const QString& dataDir, const QList<int>& sizes, int runs,
            const std::function<QString(int, bool)>& lib, QTextStream& out) {
    const QString script = QStringLiteral(SNIPPARY_SOURCE_DIR "/tests/support/pgserver");
    const QString host = QStringLiteral("/tmp/snippary-bench-pg");
    if (QProcess::execute(script, {"start", host}) != 0) {
        out << "| 7. server | - | server did not start | | |\n";
        return;
    }
    auto psql = [&](const QString& db, const QString& sql) {
        QProcess p;
        p.start("psql", {"-X", "-q", "-A", "-t", "-h", host, "-U", "snippary", "-d", db, "-c", sql});
        p.waitForFinished(-1);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    for (int n : sizes) {
        const QString db = QStringLiteral("bench%1").arg(n);
        psql("postgres", "CREATE DATABASE " + db);
        const QString address = QStringLiteral("postgresql://snippary@/%1?host=%2").arg(db, host);
        const Sample copy = Measure(self, {"copy", lib(n, false), address}, 1);
        psql(db, "ANALYZE");
        const Sample list = Measure(self, {"list", address}, n >= 100000 ? 3 : runs);
        out << "| 7. server: copy from file / open + list | " << n << " | " << QString::number(copy.ms, 'f', 1) << " / "
            << QString::number(list.ms, 'f', 1) << " ms | " << list.rss / 1024 << " MB | " << copy.extra << list.extra
            << "|\n";
        for (const char* word : {bench::RareWord, bench::AbsentWord}) {
            const Sample s = Measure(self, {"search", address, word}, runs);
            const QString plan =
                psql(db, QStringLiteral("EXPLAIN SELECT ID FROM Code WHERE Content ILIKE '%%1%'").arg(word));
            out << "| 7. server: search, " << (QLatin1String(word) == QLatin1String(bench::RareWord) ? "1 %" : "no")
                << " match | " << n << " | " << QString::number(s.ms, 'f', 1) << " ms | " << s.rss / 1024 << " MB | "
                << s.extra
                << (plan.contains("CodeContentWords", Qt::CaseInsensitive) ? "plan: trigram index" : "plan: scan")
                << " |\n";
        }
        const Sample add = Measure(self, {"add", address}, runs);
        const Sample fileAdd = Measure(self, {"add", lib(n, false)}, runs);
        out << "| 7. add (server / file) | " << n << " | " << QString::number(add.ms, 'f', 1) << " / "
            << QString::number(fileAdd.ms, 'f', 1) << " ms | " << add.rss / 1024 << " MB | " << add.extra << "|\n";
    }
    QProcess::execute(script, {"stop", host});
    Q_UNUSED(dataDir);
}

int Orchestrate(const QString& self, const QString& dataDir, bool quick, bool serverOnly) {
    QDir().mkpath(dataDir);
    // The window reads and writes its settings: keep them out of the user's own.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dataDir + "/config"));
    const QList<int> sizes = quick ? QList<int>{1000, 10000} : QList<int>{1000, 10000, 100000};
    auto lib = [&](int n, bool enc) {
        const QString path = dataDir + QStringLiteral("/bench-%1%2.snip").arg(n).arg(enc ? "-enc" : "");
        if (!QFile::exists(path)) {
            std::fprintf(stderr, "generating %s...\n", qPrintable(path));
            bench::LibrarySpec spec;
            spec.snippets = n;
            spec.seed = 20261207;
            if (enc) spec.password = QString::fromLatin1(kPassword);
            bench::GenerateLibrary(path, spec);
        }
        return path;
    };
    QTextStream out(stdout);
    const int runs = quick ? 3 : 5;
    out << "| measurement | size | median | peak RSS | reference |\n|---|---|---|---|---|\n";
    if (serverOnly) {
        Server(self, dataDir, sizes, runs, lib, out);
        return 0;
    }
    for (int n : sizes) {
        const QString path = lib(n, false);
        const Sample list = Measure(self, {"list", path}, n >= 100000 ? 3 : runs);
        out << "| 1. open + categories + list | " << n << " | " << QString::number(list.ms, 'f', 1) << " ms | "
            << list.rss / 1024 << " MB | " << list.extra << "|\n";
        const QString dump = dataDir + QStringLiteral("/content-%1.txt").arg(n);
        if (!QFile::exists(dump)) QProcess::execute(self, {"dump", path, dump});
        const qint64 dumpBytes = QFileInfo(dump).size();
        for (const char* word : {bench::RareWord, bench::AbsentWord}) {
            const Sample s = Measure(self, {"search", path, word}, runs);
            const Sample grep = Measure("grep", {"-F", "-i", "-c", word, dump}, runs, true);
            const QString w = QString::fromLatin1(word);
            const QString q = QStringLiteral(
                                  "SELECT count(*) FROM qDisplay WHERE instr(lower(Name),lower('%1'))>0 OR "
                                  "instr(lower(Description),lower('%1'))>0 OR instr(lower(Source),lower('%1'))>0 "
                                  "OR instr(lower(Content),lower('%1'))>0")
                                  .arg(w);
            const Sample sql = Measure("sqlite3", {path, q}, runs, true);
            out << "| 2. search, " << (w == bench::RareWord ? "1 %" : "no") << " match | " << n << " | "
                << QString::number(s.ms, 'f', 1) << " ms | " << s.rss / 1024 << " MB | grep -F -i -c "
                << QString::number(grep.ms, 'f', 1) << " ms over " << dumpBytes / 1000000
                << " MB; sqlite3 instr(lower) " << QString::number(sql.ms, 'f', 1) << " ms (" << s.extra.trimmed()
                << ") |\n";
        }
    }
    {
        const QString path = lib(10000, false);
        const Sample c = Measure(self, {"colorline", path}, runs);
        out << "| 3. ColorLine | 10000 | " << QString::number(c.ms, 'f', 1) << " ms | " << c.rss / 1024 << " MB | "
            << c.extra << "|\n";
        const Sample e = Measure(self, {"export", path, dataDir + "/export-10000.htm"}, runs);
        out << "| 4. export, coloured, numbered | 10000 | " << QString::number(e.ms, 'f', 1) << " ms | " << e.rss / 1024
            << " MB | " << e.extra << "|\n";
    }
    // The window: start-up to the first paint on the largest library, and an idle
    // window on the starter library.
    const QString window = QFileInfo(self).absolutePath() + "/snippary_window_bench";
    if (QFile::exists(window)) {
        const QString big = lib(sizes.last(), false);
        const Sample s = Measure(window, {big}, 3);
        out << "| 5. window start-up to first paint | " << sizes.last() << " | " << QString::number(s.ms, 'f', 1)
            << " ms | " << s.rss / 1024 << " MB | " << s.extra << "|\n";
        const QString starter = dataDir + "/starter.snip";
        if (!QFile::exists(starter)) store::CreateLibrary(starter, QString(), true);
        const Sample idle = Measure(window, {starter, "--idle"}, 3);
        out << "| idle window, starter library | 20 | - | " << idle.rss / 1024 << " MB | " << idle.extra << "|\n";
    } else {
        out << "| 5. window start-up | - | not built | | |\n";
    }
    for (int n : sizes) {
        const QString path = lib(n, true);
        const Sample list = Measure(self, {"list", path, "--encrypted"}, n >= 100000 ? 3 : runs);
        const Sample s = Measure(self, {"search", path, bench::RareWord, "--encrypted"}, runs);
        out << "| 6. encrypted: list / search 1 % | " << n << " | " << QString::number(list.ms, 'f', 1) << " / "
            << QString::number(s.ms, 'f', 1) << " ms | " << list.rss / 1024 << " MB | " << s.extra << "|\n";
    }
    Server(self, dataDir, sizes, runs, lib, out);
    out.flush();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList a = app.arguments().mid(1);
    const bool encrypted = a.removeAll("--encrypted") > 0;
    const bool quick = a.removeAll("--quick") > 0;
    const bool serverOnly = a.removeAll("--server") > 0;  // only the team library's rows
    try {
        if (a.value(0) == "list") return List(a.value(1), encrypted, QString());
        if (a.value(0) == "search") return List(a.value(1), encrypted, a.value(2));
        if (a.value(0) == "dump") return Dump(a.value(1), a.value(2));
        if (a.value(0) == "colorline") return Colour(a.value(1));
        if (a.value(0) == "export") return Export(a.value(1), a.value(2));
        if (a.value(0) == "add") return Add(a.value(1));
        if (a.value(0) == "copy") return Copy(a.value(1), a.value(2));
        if (a.value(0) == "generate") {
            bench::LibrarySpec spec;
            spec.snippets = a.value(2).toInt();
            spec.seed = a.value(3, "1").toUInt();
            if (encrypted) spec.password = QString::fromLatin1(kPassword);
            bench::GenerateLibrary(a.value(1), spec);
            return 0;
        }
        const QString data =
            a.value(0, QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/snippary-bench");
        return Orchestrate(app.applicationFilePath(), data, quick, serverOnly);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "snippary_bench: %s\n", e.what());
        return 2;
    }
}
