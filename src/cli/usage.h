#pragma once
// What the command line accepts, written once: the option parser, `--help` and
// the manual page are all made from these tables, so they cannot drift apart.
#include <QString>
#include <QStringList>
#include <vector>

namespace cli {

struct OptionDoc {
    QString name;      // "--find"
    QString argument;  // "TEXT"; empty for a flag
    bool repeated = false;
    QString help;
    bool required = false;
};

struct VerbDoc {
    QString name;
    QString operands;  // "FILE OUT.html"
    std::vector<OptionDoc> options;
    QString synopsisTail;  // written after the options in the synopsis, e.g. "< code.bas"
    QString help;
};

struct TopicDoc {
    QString name;  // "SNIPPARY_PASSWORD"
    QString help;
};

const std::vector<VerbDoc>& Verbs();
// nullptr when `name` is no verb.
const VerbDoc* FindVerb(const QString& name);
// Options of the program itself (no verb).
const std::vector<OptionDoc>& ProgramOptions();
const std::vector<TopicDoc>& Environment();
const std::vector<TopicDoc>& Files();
const std::vector<TopicDoc>& ExitStatuses();

QString VersionText();
// The text of `snippary --help`.
QString UsageText();
// The manual page snippary(1) in roff (man macros).
QString ManPage();
// A bash completion script for verbs, options and library files.
QString BashCompletion();

}  // namespace cli
