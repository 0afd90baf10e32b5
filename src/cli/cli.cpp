#include "cli/cli.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <termios.h>
#include <unistd.h>
#include <utility>

#include "cli/runner.h"
#include "cli/usage.h"
#include "export/colorline.h"
#include "export/htmlwriter.h"
#include "platform/atomicfile.h"
#include "store/generaldate.h"
#include "platform/textfile.h"
#include "store/connectionstring.h"
#include "store/library.h"
#include "store/librarycopy.h"
#include "store/operations.h"
#include "store/pgengine.h"
#include "store/statements.h"
#include "store/store.h"
#include "transfer/dump.h"
#include "transfer/files.h"
#include "transfer/importer.h"
#include "transfer/snippetfile.h"

namespace cli {

namespace {

struct UsageError {
    QString message;
};
struct Failure {
    QString message;
};

// Options of a verb: flags, single values and repeated values.
class Options {
public:
    // The options args[0]'s verb takes, as its usage table lists them.
    explicit Options(const QStringList& args) {
        QStringList flags, values, repeated;
        if (const VerbDoc* verb = FindVerb(args.value(0)))
            for (const OptionDoc& o : verb->options)
                (o.argument.isEmpty() ? flags : o.repeated ? repeated : values) << o.name;
        Parse(args, flags, values, repeated);
    }
    bool Flag(const char* f) const { return flags_.contains(QLatin1String(f)); }
    QString Value(const char* v) const { return values_.value(QLatin1String(v)); }
    bool Has(const char* v) const { return values_.contains(QLatin1String(v)); }
    QStringList List(const char* v) const { return lists_.value(QLatin1String(v)); }
    const QStringList& Positional() const { return positional_; }

private:
    void Parse(const QStringList& args, const QStringList& flags, const QStringList& values,
               const QStringList& repeated) {
        for (int i = 1; i < args.size(); ++i) {
            const QString& a = args[i];
            if (!a.startsWith(QLatin1String("--")) || a == QLatin1String("--")) {
                positional_ << a;
            } else if (flags.contains(a)) {
                flags_ << a;
            } else if (values.contains(a) || repeated.contains(a)) {
                if (i + 1 >= args.size()) throw UsageError{a + QStringLiteral(" needs a value")};
                if (values.contains(a) && values_.contains(a)) throw UsageError{a + QStringLiteral(" given twice")};
                values_.insert(a, args[++i]);
                lists_[a] << args[i];
            } else {
                throw UsageError{QStringLiteral("unknown option ") + a};
            }
        }
    }

    QStringList positional_, flags_;
    QMap<QString, QString> values_;
    QMap<QString, QStringList> lists_;
};

using store::SecretText;

// Where a library's password comes from: a variable of the environment, else a
// prompt on the terminal. A copy's destination has its own.
struct Secret {
    const char* variable = "SNIPPARY_PASSWORD";
    QString prompt = QStringLiteral("Password: ");
};

QString Password(Io& io, bool twice, const Secret& from = {}) {
    // Taken out of the environment once read, so no copy of it outlives its use.
    if (char* value = std::getenv(from.variable)) {
        QString password = QString::fromLocal8Bit(value);
        explicit_bzero(value, std::strlen(value));
        unsetenv(from.variable);
        return password;
    }
    if (!io.askSecret) return QString();
    SecretText first(io.askSecret(from.prompt));
    if (twice) {
        const SecretText again(io.askSecret(QStringLiteral("Password again: ")));
        if (again.text != first.text) throw Failure{QStringLiteral("the two passwords differ")};
    }
    return std::exchange(first.text, QString());
}

// A library operand: a team library's address as it stands, a file by its full path.
QString Library(const QString& operand) {
    return store::pg::IsAddress(operand) ? operand : QFileInfo(operand).absoluteFilePath();
}

// `known`: the password the library was just made with, else none is known yet.
void Open(store::Connection& con, const QString& path, Io& io, const Secret& secret = {},
          const QString& known = QString()) {
    store::ConnectionString cs = store::ConnectionString::ForLibrary(Library(path));
    // The password and the string built from it are wiped on every way out, as
    // the connection wipes its own copy when it closes.
    SecretText password(known);
    if (password.text.isEmpty()) {
        try {
            con.Open(cs.Build());
            return;
        } catch (const store::StoreError& e) {
            // A library with a password: ask for it (or take it from the environment).
            if (e.Number() != store::errors::kBadPassword) throw;
            password.text = Password(io, false, secret);
            if (password.text.isEmpty()) throw;
        }
    }
    cs.password = password.text;
    const SecretText text(cs.Build());
    cs.password = QString();
    con.Open(text.text);
}

struct Query {
    QString sWhere, sFind, sOrder;
};

// The list's three condition texts from the filter options, shared by list and export.
// `wholeLibraryByDefault`: the statement reads the whole library when no category
// is given (the export's); else every category is named in the condition (the list's).
Query Filters(const Options& o, store::Connection& con, bool wholeLibraryByDefault) {
    Query q;
    QList<qint64> ids;
    QStringList names;
    {
        store::Recordset rs;
        for (rs.Open(store::stmt::SelectTypes(), &con); !rs.Eof(); rs.MoveNext()) {
            ids << rs.Fields(QStringLiteral("TypeID")).toLongLong();
            names << rs.Fields(QStringLiteral("TypeName")).toString();
        }
    }
    const QStringList wanted = o.List("--category");
    if (!wanted.isEmpty() && o.Flag("--all"))
        throw UsageError{QStringLiteral("--category and --all exclude each other")};
    if (!wanted.isEmpty()) {
        for (const QString& w : wanted)
            if (!names.contains(w, Qt::CaseInsensitive)) throw Failure{QStringLiteral("no category named ") + w};
        QList<qint64> ticked;
        for (int i = 0; i < names.size(); ++i)
            for (const QString& w : wanted)
                if (names[i].compare(w, Qt::CaseInsensitive) == 0) {
                    ticked << ids[i];
                    break;
                }
        q.sWhere = store::BuildWhere(ticked);
    } else if (!wholeLibraryByDefault || o.Flag("--all")) {
        q.sWhere = store::BuildWhere(ids);
    }
    std::array<bool, 4> columns = {true, true, true, true};
    if (o.Has("--in")) {
        columns = {false, false, false, false};
        const QStringList known = {"name", "description", "source", "content"};
        for (const QString& c : o.Value("--in").split(u',', Qt::SkipEmptyParts)) {
            const qsizetype at = known.indexOf(c.trimmed().toLower());
            if (at < 0) throw UsageError{QStringLiteral("--in takes name, description, source, content")};
            columns[size_t(at)] = true;
        }
    }
    for (const char* d : {"--from", "--to"})
        if (o.Has(d) && !store::ReadDate(o.Value(d)).isValid())
            throw Failure{QStringLiteral("%1 is not a date: %2").arg(QLatin1String(d), o.Value(d))};
    q.sFind = store::BuildFind(o.Value("--find"), columns, o.Value("--from"), o.Value("--to"));
    if (o.Has("--sort")) {
        const QStringList sorts = {"name", "type", "description", "date", "source"};
        const qsizetype at = sorts.indexOf(o.Value("--sort"));
        if (at < 0) throw UsageError{QStringLiteral("--sort takes name, type, description, date or source")};
        q.sOrder = store::OrderForColumn(int(at) + 1, QString());
    }
    return q;
}

QString Tsv(QString v) {
    v.replace(u'\\', QStringLiteral("\\\\"));
    v.replace(u'\t', QStringLiteral("\\t"));
    v.replace(u'\n', QStringLiteral("\\n"));
    v.replace(u'\r', QStringLiteral("\\r"));
    return v;
}

QString Text(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

int New(const QStringList& args, Io& io) {
    const Options o(args);
    if (o.Positional().size() != 1) throw UsageError{QStringLiteral("new takes one FILE")};
    const SecretText password(o.Flag("--password") ? Password(io, true) : QString());
    if (o.Flag("--password") && password.text.isEmpty())
        throw Failure{QStringLiteral("no password: set SNIPPARY_PASSWORD or run on a terminal")};
    if (store::pg::IsAddress(o.Positional()[0]) && o.Flag("--password"))
        throw UsageError{
            QStringLiteral("--password is for files: a server library is protected by the server's roles")};
    store::CreateLibrary(Library(o.Positional()[0]), password.text, o.Flag("--sample"));
    return 0;
}

// A whole library into another of any kind, IDs, dates and texts as they are.
// The destination is made when it does not exist yet (a file, or a server database
// without a library); one that holds snippets is refused.
int Copy(const QStringList& args, Io& io) {
    const Options o(args);
    if (o.Positional().size() != 2) throw UsageError{QStringLiteral("copy takes SOURCE and DEST")};
    const QString dest = Library(o.Positional()[1]);
    if (dest == Library(o.Positional()[0])) throw Failure{QStringLiteral("SOURCE and DEST are the same library")};
    const bool server = store::pg::IsAddress(dest);
    if (server && o.Flag("--password"))
        throw UsageError{
            QStringLiteral("--password is for files: a server library is protected by the server's roles")};
    const Secret destSecret{"SNIPPARY_DEST_PASSWORD", QStringLiteral("Password of %1: ").arg(o.Positional()[1])};
    store::Connection from, to;
    Open(from, o.Positional()[0], io);
    if (!server && !QFileInfo::exists(dest)) {
        const SecretText password(o.Flag("--password") ? Password(io, true, destSecret) : QString());
        if (o.Flag("--password") && password.text.isEmpty())
            throw Failure{QStringLiteral("no password: set SNIPPARY_DEST_PASSWORD or run on a terminal")};
        store::CreateLibrary(dest, password.text, false);
        Open(to, dest, io, destSecret, password.text);
    } else {
        try {
            Open(to, dest, io, destSecret);
        } catch (const store::StoreError& e) {
            if (e.Number() != store::errors::kUnrecognized || !server) throw;
            store::CreateLibrary(dest, QString(), false);
            Open(to, dest, io, destSecret);
        }
    }
    try {
        io.out += QByteArray::number(store::CopyLibrary(from, to)) + '\n';
    } catch (const store::StoreError& e) {
        if (e.Number() != store::errors::kExists) throw;
        throw Failure{QStringLiteral("%1 already holds snippets; nothing was copied").arg(o.Positional()[1])};
    }
    return 0;
}

int Categories(const QStringList& args, Io& io) {
    const Options o(args);
    if (o.Positional().size() != 1) throw UsageError{QStringLiteral("categories takes one FILE")};
    store::Connection con;
    Open(con, o.Positional()[0], io);
    store::Recordset rs;
    for (rs.Open(store::stmt::SelectTypes(), &con); !rs.Eof(); rs.MoveNext())
        io.out += (QString::number(rs.Fields(QStringLiteral("TypeID")).toLongLong()) + u'\t' +
                   Tsv(rs.Fields(QStringLiteral("TypeName")).toString()) + u'\n')
                      .toUtf8();
    return 0;
}

int List(const QStringList& args, Io& io) {
    const Options o(args);
    if (o.Positional().size() != 1) throw UsageError{QStringLiteral("list takes one FILE")};
    const QString format = o.Has("--format") ? o.Value("--format") : QStringLiteral("tsv");
    if (format != QLatin1String("tsv") && format != QLatin1String("json"))
        throw UsageError{QStringLiteral("--format takes tsv or json")};
    store::Connection con;
    Open(con, o.Positional()[0], io);
    const Query q = Filters(o, con, false);
    QJsonArray rows;
    if (format == QLatin1String("tsv") && o.Flag("--header"))
        io.out += "Name\tType\tDescription\tDate added\tSource of code\n";
    if (q.sWhere.isEmpty()) return 0;  // a library without categories lists nothing
    store::Recordset rs;
    for (rs.Open(store::stmt::SelectDisplay(q.sWhere, q.sFind, q.sOrder), &con); !rs.Eof(); rs.MoveNext()) {
        const QString name = Text(rs.Fields(QStringLiteral("Name")));
        const QString type = Text(rs.Fields(QStringLiteral("TypeName")));
        const QString description = Text(rs.Fields(QStringLiteral("Description")));
        const QString date = store::GeneralDate(rs.Fields(QStringLiteral("DateAdded")).toDateTime());
        const QString source = Text(rs.Fields(QStringLiteral("Source")));
        if (format == QLatin1String("json")) {
            rows.append(QJsonObject{{"ID", rs.Fields(QStringLiteral("ID")).toLongLong()},
                                    {"Name", name},
                                    {"Type", type},
                                    {"Description", description},
                                    {"DateAdded", date},
                                    {"Source", source}});
        } else {
            io.out += (QStringList{Tsv(name), Tsv(type), Tsv(description), Tsv(date), Tsv(source)}.join(u'\t') + u'\n')
                          .toUtf8();
        }
    }
    if (format == QLatin1String("json")) io.out += QJsonDocument(rows).toJson(QJsonDocument::Indented);
    return 0;
}

int Add(const QStringList& args, Io& io) {
    const Options o(args);
    if (o.Positional().size() != 1) throw UsageError{QStringLiteral("add takes one FILE")};
    if (!o.Has("--category") || !o.Has("--name")) throw UsageError{QStringLiteral("add needs --category and --name")};
    if (o.Has("--content-file") == o.Flag("--content-stdin"))
        throw UsageError{QStringLiteral("add needs exactly one of --content-file and --content-stdin")};
    // The add page's limits: a longer value is refused, never cut.
    struct Limit {
        const char* option;
        int max;
    };
    for (const Limit& l : {Limit{"--name", 50}, Limit{"--description", 30}, Limit{"--source", 50}})
        if (o.Value(l.option).size() > l.max)
            throw Failure{QStringLiteral("%1 is longer than %2 characters").arg(QLatin1String(l.option)).arg(l.max)};
    if (o.Value("--name").isEmpty()) throw Failure{QStringLiteral("the name is empty")};
    const platform::ModuleText text = o.Has("--content-file") ? platform::ReadModuleFile(o.Value("--content-file"))
                                                              : platform::ModuleTextFromBytes(io.readStdin());
    if (!text.ok) throw Failure{text.error};
    if (text.content.isEmpty()) throw Failure{QStringLiteral("the content is empty")};

    store::Connection con;
    Open(con, o.Positional()[0], io);
    qint64 typeId = -1;
    for (const store::Category& category : store::ReadCategories(con))
        if (category.name.compare(o.Value("--category"), Qt::CaseInsensitive) == 0) {
            typeId = category.typeId;
            break;
        }
    if (typeId < 0) throw Failure{QStringLiteral("no category named ") + o.Value("--category")};
    const qint64 id =
        store::AddSnippet(con, {typeId, o.Value("--name"), o.Value("--description"),
                                store::GeneralDate(QDateTime::currentDateTime()), o.Value("--source"), text.content});
    io.out += QByteArray::number(id) + '\n';
    return 0;
}

// The listed snippets as an editor snippet file or as a folder of files.
int ExportSnippets(const Options& o, Io& io, bool asFiles) {
    for (const char* pageOnly : {"--numbered", "--colors"})
        if (o.Flag(pageOnly)) throw UsageError{QLatin1String(pageOnly) + QStringLiteral(" is for the HTML page")};
    for (const char* pageOnly : {"--font", "--size"})
        if (o.Has(pageOnly)) throw UsageError{QLatin1String(pageOnly) + QStringLiteral(" is for the HTML page")};
    const QString out = QFileInfo(o.Positional()[1]).absoluteFilePath();
    if (platform::IsDatabaseFile(out))
        throw Failure{QStringLiteral("%1 is a snippet library (a database file); it is not written over.")
                          .arg(o.Positional()[1])};
    store::Connection con;
    Open(con, o.Positional()[0], io);
    const Query q = Filters(o, con, true);
    const QList<transfer::Item> items = transfer::ReadListed(con, store::ExportQuery(q.sWhere, q.sFind, q.sOrder));
    if (asFiles) {
        transfer::WriteSnippetFiles(out, items);
        return 0;
    }
    QString error;
    if (!platform::WriteFileAtomically(out, transfer::WriteSnippetFile(items), &error)) throw Failure{error};
    return 0;
}

int Export(const QStringList& args, Io& io) {
    const Options o(args);
    if (o.Positional().size() != 2) throw UsageError{QStringLiteral("export takes FILE and OUT")};
    if (o.Flag("--files") || o.Positional()[1].endsWith(QLatin1String(".code-snippets"), Qt::CaseInsensitive))
        return ExportSnippets(o, io, o.Flag("--files"));
    bool sizeOk = true;
    // Without --font or --size the writer takes the font of the page's code.
    const int size = o.Has("--size") ? o.Value("--size").toInt(&sizeOk) : 0;
    if (!sizeOk || (o.Has("--size") && size <= 0))
        throw UsageError{QStringLiteral("--size takes a whole number of points")};
    const QString page = QFileInfo(o.Positional()[1]).absoluteFilePath();
    // Also the library being exported, under any name or link.
    if (platform::IsDatabaseFile(page))
        throw Failure{QStringLiteral("%1 is a snippet library (a database file); the page is not written over it.")
                          .arg(o.Positional()[1])};
    if (o.Has("--font") && exporting::CssFontName(o.Value("--font")) != o.Value("--font"))
        throw UsageError{QStringLiteral("--font cannot hold quotes, backslashes, <, >, {, }, ; or line ends")};
    store::Connection con;
    Open(con, o.Positional()[0], io);
    const Query q = Filters(o, con, true);
    exporting::ExportOptions options;
    options.numbered = o.Flag("--numbered");
    options.colors = o.Flag("--colors");
    options.fontName = o.Value("--font");
    options.fontSize = size;
    options.homePage = QStringLiteral(SNIPPARY_HOME_PAGE);
    exporting::WriteHtmlPage(con, store::ExportQuery(q.sWhere, q.sFind, q.sOrder), options, page);
    return 0;
}

std::atomic<bool> gInterrupted{false};
extern "C" void Interrupted(int) { gInterrupted.store(true); }

// Ctrl+C and a polite kill stop the import at its next step, which then undoes
// everything; the handlers before are back when the object goes.
class InterruptGuard {
public:
    InterruptGuard() {
        gInterrupted.store(false);
        struct sigaction stop {};
        stop.sa_handler = Interrupted;
        sigemptyset(&stop.sa_mask);
        sigaction(SIGINT, &stop, &int_);
        sigaction(SIGTERM, &stop, &term_);
    }
    ~InterruptGuard() {
        sigaction(SIGINT, &int_, nullptr);
        sigaction(SIGTERM, &term_, nullptr);
    }

private:
    struct sigaction int_ {
    }, term_{};
};

int Import(const QStringList& args, Io& io) {
    const Options o(args);
    if (o.Flag("--list-tables")) {
        if (o.Positional().size() != 1) throw UsageError{QStringLiteral("import --list-tables takes one Access FILE")};
        io.out += transfer::ListAccessTables(o.Positional()[0]).toUtf8();
        return 0;
    }
    if (o.Positional().size() < 2) throw UsageError{QStringLiteral("import takes FILE and at least one SOURCE")};
    transfer::ImportOptions options;
    if (o.Has("--category")) options.category = o.Value("--category");
    if (options.category.isEmpty()) throw UsageError{QStringLiteral("--category needs a name")};
    options.mapping = {o.Value("--table"),  o.Value("--name"), o.Value("--content"),        o.Value("--description"),
                       o.Value("--source"), o.Value("--date"), o.Value("--category-column")};
    const bool mapped = o.Has("--table");
    for (const char* column : {"--name", "--content", "--description", "--source", "--date", "--category-column"})
        if (!mapped && o.Has(column)) throw UsageError{QLatin1String(column) + QStringLiteral(" goes with --table")};
    if (mapped && (options.mapping.name.isEmpty() || options.mapping.content.isEmpty()))
        throw UsageError{QStringLiteral("--table needs --name and --content")};
    const QString library = QFileInfo(o.Positional()[0]).absoluteFilePath();
    const QStringList sources = o.Positional().mid(1);
    for (const QString& source : sources)
        if (QFileInfo(source).absoluteFilePath() == library)
            throw Failure{QStringLiteral("a library cannot be imported into itself")};
    store::Connection con;
    Open(con, o.Positional()[0], io);
    const InterruptGuard guard;
    if (io.tell) io.tell("snippary: importing (Ctrl+C stops and adds nothing)\n");
    transfer::Summary summary;
    try {
        summary = transfer::Import(con, sources, options, QDateTime::currentDateTime(), &gInterrupted);
    } catch (const transfer::Cancelled&) {
        io.err += "snippary: the import was interrupted; nothing was added\n";
        return 130;
    } catch (const transfer::Error& e) {
        throw Failure{e.message + QStringLiteral("; nothing was added")};
    }
    for (const QString& s : summary.skipped) io.err += ("skipped " + s + u'\n').toUtf8();
    for (const QString& n : summary.notes) io.err += ("note: " + n + u'\n').toUtf8();
    io.out += (summary.Line() + u'\n').toUtf8();
    return 0;
}

int Dump(const QStringList& args, Io& io) {
    const Options o(args);
    if (o.Positional().isEmpty() || o.Positional().size() > 2)
        throw UsageError{QStringLiteral("dump takes FILE and an optional OUT.json")};
    store::Connection con;
    Open(con, o.Positional()[0], io);
    const QByteArray dump = transfer::DumpLibrary(con);
    if (o.Positional().size() == 1) {
        io.out += dump;
        return 0;
    }
    QString error;
    if (!platform::WriteFileAtomically(QFileInfo(o.Positional()[1]).absoluteFilePath(), dump, &error))
        throw Failure{error};
    return 0;
}

int Colorize(const QStringList& args, Io& io) {
    const Options o(args);
    if (!o.Positional().isEmpty())
        throw UsageError{QStringLiteral("colorize takes no files: it reads the code on its input")};
    const QString code = QString::fromUtf8(io.readStdin());
    io.out += exporting::ColorLine(o.Flag("--raw") ? code : exporting::HtmlEscape(code)).toUtf8();
    return 0;
}

// The terminal as it was before the prompt, put back on every way out: the
// normal one, and a signal that ends or stops the program while it waits.
termios gTerminal{};
termios gQuiet{};
const int kPromptSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

extern "C" void LeavePrompt(int sig) {
    const int saved = errno;
    tcsetattr(STDIN_FILENO, TCSANOW, &gTerminal);
    (void)!write(STDERR_FILENO, "\n", 1);
    struct sigaction mine {
    }, dflt{};
    dflt.sa_handler = SIG_DFL;
    sigaction(sig, &dflt, &mine);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    raise(sig);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);  // ends the program, or stops it (Ctrl+Z)
    // Continued after a stop: back to the prompt as it was.
    sigaction(sig, &mine, nullptr);
    sigprocmask(SIG_BLOCK, &only, nullptr);
    tcsetattr(STDIN_FILENO, TCSANOW, &gQuiet);
    errno = saved;
}

// A buffer for a typed secret: it grows without leaving copies behind.
class SecretBytes {
public:
    ~SecretBytes() { Wipe(); }
    void Append(char c) {
        if (bytes_.size() == bytes_.capacity()) {
            QByteArray bigger;
            bigger.reserve(2 * bytes_.capacity() + 64);
            bigger.append(bytes_);
            Wipe();
            bytes_.swap(bigger);
        }
        bytes_.append(c);
    }
    void Erase() {  // the last character, all of its UTF-8 bytes
        while (!bytes_.isEmpty() && (uchar(bytes_.back()) & 0xC0) == 0x80) bytes_.chop(1);
        if (!bytes_.isEmpty()) bytes_.chop(1);
    }
    void Clear() { bytes_.truncate(0); }
    const QByteArray& Bytes() const { return bytes_; }

private:
    void Wipe() {
        if (bytes_.capacity() > 0) explicit_bzero(bytes_.data(), size_t(bytes_.capacity()));
        bytes_.truncate(0);
    }
    QByteArray bytes_;
};

// Reads the password line at the terminal, unechoed and whole, however long it is:
// the terminal's own line editing holds only 4095 characters, so the line is read
// a character at a time and erasing is done here.
QString AskAtTerminal(const QString& prompt) {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &gTerminal) != 0) return QString();
    gQuiet = gTerminal;
    gQuiet.c_lflag &= tcflag_t(~(ECHO | ICANON));
    gQuiet.c_cc[VMIN] = 1;
    gQuiet.c_cc[VTIME] = 0;
    struct sigaction leave {
    }, before[std::size(kPromptSignals)];
    leave.sa_handler = LeavePrompt;
    sigfillset(&leave.sa_mask);
    for (size_t i = 0; i < std::size(kPromptSignals); ++i) sigaction(kPromptSignals[i], &leave, &before[i]);
    tcsetattr(STDIN_FILENO, TCSANOW, &gQuiet);
    std::fputs(qPrintable(prompt), stderr);
    SecretBytes line;
    const auto is = [](char c, int key) {
        return gTerminal.c_cc[key] != _POSIX_VDISABLE && c == char(gTerminal.c_cc[key]);
    };
    for (;;) {
        char c = 0;
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n' || c == '\r' || is(c, VEOF)) break;
        if (is(c, VERASE) || c == '\b')
            line.Erase();
        else if (is(c, VKILL))
            line.Clear();
        else
            line.Append(c);
        c = 0;
    }
    tcsetattr(STDIN_FILENO, TCSANOW, &gTerminal);
    for (size_t i = 0; i < std::size(kPromptSignals); ++i) sigaction(kPromptSignals[i], &before[i], nullptr);
    std::fputs("\n", stderr);
    return QString::fromLocal8Bit(line.Bytes());
}

// Standard input, refused past the size of the largest module a file may hold;
// never more than that is read into memory.

QByteArray ReadStdin() {
    QByteArray bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            throw Failure{QStringLiteral("The standard input cannot be read: %1")
                              .arg(QString::fromLocal8Bit(std::strerror(errno)))};
        if (n == 0) return bytes;
        if (bytes.size() + n > platform::MaxModuleBytes)
            throw Failure{QStringLiteral("The standard input is too large to be a module (more than 64 MB).")};
        bytes.append(chunk, n);
    }
}

// Writes and flushes all of `bytes`; false, with errno set, when the output
// refused any of it (a full disk, a closed pipe, a device that takes nothing).
bool WriteChecked(FILE* stream, const QByteArray& bytes) {
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) != size_t(bytes.size())) return false;
    return std::fflush(stream) == 0 && !std::ferror(stream);
}

}  // namespace

int RunVerb(const QStringList& args, Io& io) {
    const QString verb = args.value(0);
    try {
        try {
            if (verb == QLatin1String("help") || verb == QLatin1String("--help")) {
                if (!Options(args).Positional().isEmpty()) throw UsageError{QStringLiteral("help takes no arguments")};
                io.out += UsageText().toUtf8();
                return 0;
            }
            if (verb == QLatin1String("--version")) {
                io.out += VersionText().toUtf8();
                return 0;
            }
            if (verb == QLatin1String("new")) return New(args, io);
            if (verb == QLatin1String("categories")) return Categories(args, io);
            if (verb == QLatin1String("list")) return List(args, io);
            if (verb == QLatin1String("add")) return Add(args, io);
            if (verb == QLatin1String("export")) return Export(args, io);
            if (verb == QLatin1String("colorize")) return Colorize(args, io);
            if (verb == QLatin1String("copy")) return Copy(args, io);
            if (verb == QLatin1String("import")) return Import(args, io);
            if (verb == QLatin1String("dump")) return Dump(args, io);
            throw UsageError{QStringLiteral("unknown verb ") + verb};
        } catch (const store::StoreError& e) {
            throw Failure{e.Message()};
        } catch (const transfer::Error& e) {
            throw Failure{e.message};
        }
    } catch (const UsageError& e) {
        io.err += ("snippary: " + e.message + "\n").toUtf8() + UsageText().toUtf8();
        return 1;
    } catch (const Failure& e) {
        io.err += ("snippary: " + e.message + "\n").toUtf8();
        return 2;
    }
}

bool IsVerb(const char* word) {
    const QString w = QString::fromLocal8Bit(word);
    return FindVerb(w) != nullptr || w == QLatin1String("--help") || w == QLatin1String("--version");
}

bool IsProgramOption(const char* word) {
    for (const OptionDoc& o : ProgramOptions())
        if (o.name == QLatin1String(word)) return true;
    return false;
}

int UnknownOption(const char* word) {
    const QByteArray text = "snippary: unknown option " + QByteArray(word) + "\n" + UsageText().toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return 1;
}

int Run(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Io io;
    io.readStdin = ReadStdin;
    io.askSecret = AskAtTerminal;
    io.tell = [](const QByteArray& text) { WriteChecked(stderr, text); };
    const int status = RunVerb(app.arguments().mid(1), io);
    if (!WriteChecked(stdout, io.out)) {
        const int error = errno != 0 ? errno : EIO;
        io.err += "snippary: the output could not be written: " + QByteArray(std::strerror(error)) + '\n';
        WriteChecked(stderr, io.err);
        return 2;
    }
    WriteChecked(stderr, io.err);
    return status;
}

}  // namespace cli
