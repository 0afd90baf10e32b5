#include "cli/usage.h"

#include <QRegularExpression>

namespace cli {

namespace {

std::vector<OptionDoc> FilterOptions() {
    return {
        {"--category", "NAME", true, "Only the snippets of this category (repeat for several)."},
        {"--all", "", false, "The snippets of every category."},
        {"--find", "TEXT", false, "Only the snippets holding TEXT (ignoring case) in the searched columns."},
        {"--in", "COLUMNS", false,
         "The columns --find searches, separated by commas: name, description, source, content (default: all four)."},
        {"--from", "DATE", false,
         "Only the snippets added on or after DATE (a date in the locale's format or YYYY-MM-DD)."},
        {"--to", "DATE", false, "Only the snippets added on or before DATE; a date without a time means its midnight."},
        {"--sort", "COLUMN", false, "Sort by name, type, description, date or source."},
    };
}

std::vector<OptionDoc> With(std::vector<OptionDoc> first, const std::vector<OptionDoc>& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

QString Synopsis(const VerbDoc& v) {
    QString s = QStringLiteral("snippary ") + v.name;
    if (!v.operands.isEmpty()) s += u' ' + v.operands;
    for (const OptionDoc& o : v.options) {
        s += o.required ? QStringLiteral(" ") : QStringLiteral(" [");
        s += o.name;
        if (!o.argument.isEmpty()) s += u' ' + o.argument;
        if (!o.required) s += u']';
        if (o.repeated) s += QStringLiteral("...");
    }
    if (!v.synopsisTail.isEmpty()) s += u' ' + v.synopsisTail;
    return s;
}

QString OptionLabel(const OptionDoc& o) { return o.argument.isEmpty() ? o.name : o.name + u' ' + o.argument; }

// Roff treats a leading dot or apostrophe as a request and a backslash as an escape.
QString Roff(QString text) {
    text.replace(u'\\', QStringLiteral("\\e"));
    text.replace(u'-', QStringLiteral("\\-"));
    text.replace(QRegularExpression(QStringLiteral("^([.'])"), QRegularExpression::MultilineOption),
                 QStringLiteral("\\&\\1"));
    return text;
}

void RoffItems(QString& page, const std::vector<OptionDoc>& options) {
    for (const OptionDoc& o : options) {
        page += QStringLiteral(".TP\n\\fB") + Roff(o.name) + QStringLiteral("\\fR");
        if (!o.argument.isEmpty()) page += QStringLiteral(" \\fI") + Roff(o.argument) + QStringLiteral("\\fR");
        page += u'\n' + Roff(o.help) + u'\n';
    }
}

void RoffTopics(QString& page, const char* title, const std::vector<TopicDoc>& topics) {
    page += QStringLiteral(".SH ") + QLatin1String(title) + u'\n';
    for (const TopicDoc& t : topics)
        page += QStringLiteral(".TP\n\\fB") + Roff(t.name) + QStringLiteral("\\fR\n") + Roff(t.help) + u'\n';
}

}  // namespace

const std::vector<VerbDoc>& Verbs() {
    static const std::vector<VerbDoc> verbs = {
        {"new",
         "FILE",
         {{"--sample", "", false, "Fill the new library with sample snippets."},
          {"--password", "", false, "Protect the library with a password (asked twice); it is encrypted on disk."}},
         "",
         "Make a new library with the five permanent categories. An existing FILE is refused."},
        {"categories", "FILE", {}, "", "List the categories: their number and name, separated by a tab."},
        {"list", "FILE",
         With(FilterOptions(), {{"--format", "FORMAT", false, "tsv (the default) or json."},
                                {"--header", "", false, "Start the tsv output with a line of column names."}}),
         "",
         "List the snippets of the chosen categories: name, category, description, date added and source. "
         "Without --category every category is listed, as with --all."},
        {"add",
         "FILE",
         {{"--category", "NAME", false, "The category of the new snippet (required).", true},
          {"--name", "NAME", false, "Its name, at most 50 characters (required).", true},
          {"--description", "TEXT", false, "Its description, at most 30 characters."},
          {"--source", "TEXT", false, "Where the code came from, at most 50 characters."},
          {"--content-file", "F", false, "Read the code from the file F (UTF-8, else Windows-1252; at most 64 MB)."},
          {"--content-stdin", "", false, "Read the code from standard input (at most 64 MB)."}},
         "",
         "Add one snippet and print its number. Exactly one of --content-file and --content-stdin is required."},
        {"export", "FILE OUT",
         With({{"--files", "", false, "Write each snippet as a file OUT/<category>/<name> instead of one page."},
               {"--numbered", "", false, "Number the table of contents."},
               {"--colors", "", false, "Colour keywords and comments in the code."},
               {"--font", "NAME", false, "The page's font (default: Courier New)."},
               {"--size", "N", false, "The page's font size in points (default: 10)."}},
              FilterOptions()),
         "",
         "Write the snippets, by default those of every category: as one HTML page (OUT.html); as an editor "
         "snippet file when OUT ends in .code-snippets (key = name, made unique; body = the lines; $, } and \\ "
         "escaped so the code is inserted as it is); or, with --files, as one file each under the folder OUT, "
         ".bas or .cls added to names without an extension in Modules and Classes, in UTF-8 with CR LF line ends. "
         "A target that is a snippet library is refused."},
        {"import",
         "FILE SOURCE...",
         {{"--category", "NAME", false, "The category of files that are neither .bas nor .cls (default: Snippets)."},
          {"--list-tables", "", false, "Only show the tables of the Access file FILE: columns, types and row counts."},
          {"--table", "T", false, "Take the snippets from the table T of the Access file SOURCE."},
          {"--name", "COL", false, "With --table: the column holding the name."},
          {"--content", "COL", false, "With --table: the column holding the code."},
          {"--description", "COL", false, "With --table: the column holding the description."},
          {"--source", "COL", false, "With --table: the column holding the source."},
          {"--date", "COL", false, "With --table: the column holding the date added."},
          {"--category-column", "COL", false, "With --table: the column holding the category name."}},
         "",
         "Add everything the sources hold, in one transaction: a failure or Ctrl+C leaves the library as it was. "
         "Each SOURCE is known by its content: an Access library (tables Types and Code, taken whole), a folder "
         "(read recursively) or code file (.bas into Modules, .cls into Classes, others into --category; binary "
         "files, files over 64 MB and links out of the folder are skipped), an editor snippet file (JSON; "
         "prefix and scope kept in the description when it stays within 255 characters), or a dump. Prints one "
         "summary line; what was skipped or changed is listed on standard error."},
        {"dump",
         "FILE [OUT.json]",
         {},
         "",
         "Write the whole library as one JSON document (to standard output without OUT.json): "
         "format \"snippary-dump\", version 1, the categories in order and every snippet by ID with "
         "category, name, description, dateAdded (ISO 8601 or null), source and content; sorted keys, one a line, "
         "so it can be kept in version control. Importing it into a new library and dumping again gives the same "
         "document apart from the ids."},
        {"colorize",
         "",
         {{"--raw", "", false,
           "Leave &, < and > as they are (by default they are escaped before colouring, as in the page)."}},
         "< code.bas > code.html",
         "Colour Visual Basic code read from standard input as an HTML fragment, escaped as in the page."},
        {"copy",
         "SOURCE DEST",
         {{"--password", "", false,
           "Make a new DEST file with a password (SNIPPARY_DEST_PASSWORD, or asked twice); it is encrypted on disk."}},
         "",
         "Copy a whole library into another, of any kind (file or server, plain or encrypted): the categories in "
         "their order, the snippets with their numbers, dates and texts as they are. DEST is made when it is a file "
         "that does not exist or a server database without a library; a DEST that holds snippets is refused. "
         "Prints the number of snippets copied. A DEST with a password of its own takes it from "
         "SNIPPARY_DEST_PASSWORD or asks for it naming DEST."},
        {"help", "", {}, "", "Print this help and exit."},
    };
    return verbs;
}

const VerbDoc* FindVerb(const QString& name) {
    for (const VerbDoc& v : Verbs())
        if (v.name == name) return &v;
    return nullptr;
}

const std::vector<OptionDoc>& ProgramOptions() {
    static const std::vector<OptionDoc> options = {
        {"--help", "", false, "Print this help and exit."},
        {"--version", "", false, "Print the version and exit."},
        {"--nvim", "", false,
         "Run as the add-in of the Neovim editor that started the program, talking on standard input and output "
         "(the editor plugin starts it so)."},
    };
    return options;
}

const std::vector<TopicDoc>& Environment() {
    static const std::vector<TopicDoc> topics = {
        {"SNIPPARY_PASSWORD",
         "The password of the library, used instead of asking at the terminal (and for new --password)."},
        {"SNIPPARY_DEST_PASSWORD", "The password of copy's DEST (and for copy --password), used instead of asking."},
        {"SNIPPARY_TRACE_SQL",
         "A file to which every statement the program runs is appended, one JSON line each, created readable by "
         "its owner only. Passwords are never written, but the statements of an encrypted library hold its text."},
        {"XDG_CONFIG_HOME", "Where the settings folder snippary/ lies (default: ~/.config)."},
        {"XDG_DATA_HOME", "Where the starter library lies, in snippary/ (default: ~/.local/share)."},
        {"XDG_DOCUMENTS_DIR", "The folder an export goes to when the window's folder box is empty."},
    };
    return topics;
}

const std::vector<TopicDoc>& Files() {
    static const std::vector<TopicDoc> topics = {
        {"~/.config/snippary/Snippary.ini", "The window's settings: options, content font, last library, placement."},
        {"~/.config/snippary/VBADDIN.INI",
         "The editor add-ins' file, in which the program writes its entry VBSnippary.Connect=0 at every start. "
         "The Neovim plugin connects at the editor's start when g:snippary_autoconnect is 1."},
        {"~/.local/share/snippary/Starter.snip", "The starter library, made with sample snippets on the first run."},
        {"/usr/share/snippary/help/index.htm", "The help pages."},
    };
    return topics;
}

const std::vector<TopicDoc>& ExitStatuses() {
    static const std::vector<TopicDoc> topics = {
        {"0", "Done."},
        {"1", "A usage error: an unknown verb or option, a missing or extra operand."},
        {"2", "A failure: the library could not be opened, read or changed, or an output could not be written."},
        {"130", "The import was interrupted (Ctrl+C): nothing was added."},
    };
    return topics;
}

QString VersionText() { return QStringLiteral("snippary " SNIPPARY_VERSION "\n"); }

QString UsageText() {
    QString text = QStringLiteral("usage:\n  snippary [LIBRARY]            opens the window on LIBRARY\n");
    for (const VerbDoc& v : Verbs()) text += QStringLiteral("  ") + Synopsis(v) + u'\n';
    text += QStringLiteral("\nprogram options:\n");
    for (const OptionDoc& o : ProgramOptions())
        text += QStringLiteral("  %1  %2\n").arg(OptionLabel(o), -16).arg(o.help);
    for (const VerbDoc& v : Verbs()) {
        if (v.options.empty()) continue;
        text += u'\n' + v.name + QStringLiteral(":\n");
        for (const OptionDoc& o : v.options) text += QStringLiteral("  %1  %2\n").arg(OptionLabel(o), -16).arg(o.help);
    }
    text += QStringLiteral(
        "\nA FILE may also be a team library's address, postgresql://USER@HOST/DATABASE.\n"
        "Passwords come from SNIPPARY_PASSWORD or, on a terminal, a prompt.\n"
        "See snippary(1) for the environment, files and exit statuses.\n");
    return text;
}

QString ManPage() {
    QString page = QStringLiteral(".TH SNIPPARY 1 \"\" \"snippary " SNIPPARY_VERSION
                                  "\" \"User Commands\"\n"
                                  ".SH NAME\nsnippary \\- a code-snippet library for the desktop and the terminal\n"
                                  ".SH SYNOPSIS\n");
    page += QStringLiteral(".B snippary\n[\\fIOPTION\\fR] [\\fILIBRARY\\fR]\n.br\n");
    for (const VerbDoc& v : Verbs()) page += QStringLiteral(".B snippary\n") + Roff(Synopsis(v).mid(9)) + "\n.br\n";
    page += QStringLiteral(
        ".SH DESCRIPTION\n"
        "Without a verb, \\fBsnippary\\fR opens its window on \\fILIBRARY\\fR, or on the library opened last. "
        "A library is one file holding categories of code snippets; one with a password is encrypted on disk. "
        "Wherever a command takes a FILE, a team library on a PostgreSQL server may be named by its address "
        "instead (postgresql://USER@HOST/DATABASE, with the options of libpq such as sslmode=verify-full); its "
        "password comes as a file's does, or from libpq's ~/.pgpass and PG variables.\n"
        ".PP\nWith a verb it works on a library from the terminal, as described below.\n"
        ".SH OPTIONS\n");
    RoffItems(page, ProgramOptions());
    page += QStringLiteral(".SH COMMANDS\n");
    for (const VerbDoc& v : Verbs()) {
        page += QStringLiteral(".SS ") + Roff(Synopsis(v)) + u'\n' + Roff(v.help) + u'\n';
        RoffItems(page, v.options);
    }
    RoffTopics(page, "ENVIRONMENT", Environment());
    RoffTopics(page, "FILES", Files());
    RoffTopics(page, "EXIT STATUS", ExitStatuses());
    page += QStringLiteral(".SH SEE ALSO\n\\fBnvim\\fR(1)\n");
    return page;
}

QString BashCompletion() {
    QStringList verbs, programOptions;
    for (const VerbDoc& v : Verbs()) verbs << v.name;
    for (const OptionDoc& o : ProgramOptions()) programOptions << o.name;
    QString cases, valued;
    for (const VerbDoc& v : Verbs()) {
        QStringList names;
        for (const OptionDoc& o : v.options) {
            names << o.name;
            if (!o.argument.isEmpty() && !valued.contains(o.name + u'|') && o.name != QLatin1String("--content-file"))
                valued += o.name + u'|';
        }
        if (!names.isEmpty()) cases += QStringLiteral("        %1) options=\"%2\" ;;\n").arg(v.name, names.join(u' '));
    }
    valued.chop(1);
    return QStringLiteral(
               "# bash completion for snippary: verbs, each verb's options and library files.\n"
               "_snippary_files() {\n"
               "    local IFS=$'\\n'\n"
               "    COMPREPLY+=($(compgen -f -X '!*.snip' -- \"$cur\") $(compgen -d -- \"$cur\"))\n"
               "}\n\n"
               "_snippary() {\n"
               "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} verb=${COMP_WORDS[1]}\n"
               "    COMPREPLY=()\n"
               "    if [[ $COMP_CWORD -eq 1 ]]; then\n"
               "        if [[ $cur == -* ]]; then\n"
               "            COMPREPLY=($(compgen -W \"%1\" -- \"$cur\"))\n"
               "        else\n"
               "            COMPREPLY=($(compgen -W \"%2\" -- \"$cur\"))\n"
               "            _snippary_files\n"
               "        fi\n"
               "        return\n"
               "    fi\n"
               "    local options=\"\"\n"
               "    case $verb in\n%3"
               "    esac\n"
               "    case $prev in\n"
               "        --format) COMPREPLY=($(compgen -W \"tsv json\" -- \"$cur\")); return ;;\n"
               "        --sort) COMPREPLY=($(compgen -W \"name type description date source\" -- \"$cur\")); return "
               ";;\n"
               "        --in) COMPREPLY=($(compgen -W \"name description source content\" -- \"$cur\")); return ;;\n"
               "        --content-file) COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
               "        %4) return ;;\n"
               "    esac\n"
               "    if [[ $cur == -* ]]; then\n"
               "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
               "    elif [[ ( $verb == export || $verb == import || $verb == dump ) && $COMP_CWORD -ge 3 ]]; then\n"
               "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
               "    elif [[ $COMP_CWORD -eq 2 && -n $options ]] || [[ $COMP_CWORD -eq 2 && $verb == categories ]] ||\n"
               "         [[ $COMP_CWORD -le 3 && $verb == copy ]]; then\n"
               "        _snippary_files\n"
               "    fi\n"
               "}\n\n"
               "complete -o filenames -F _snippary snippary\n")
        .arg(programOptions.join(u' '), verbs.join(u' ') + u' ' + programOptions.join(u' '), cases, valued);
}

}  // namespace cli
