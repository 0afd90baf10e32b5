#pragma once
// Statement texts arrive in the Jet dialect; this unit gives them their meaning in
// SQLite. It works on tokens, so nothing inside a quoted literal is ever changed.
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace store::jet {

struct Token {
    enum Kind { Space, Word, String, Number, Punct, Quoted };
    Kind kind;
    QString text;  // exactly as written; a String keeps its quotes and doubled ''
};

QList<Token> Tokenize(const QString& sql);
// The value of a 'literal' token ('' read as one apostrophe).
QString LiteralValue(const QString& tokenText);
// A value written as a literal token.
QString Literal(const QString& value);

// The SQLite text for a Jet statement:
//  - Types.TypeID in a statement over qDisplay names the view's TypeID column;
//  - Instr(...) is the store's case-insensitive Instr;
//  - a date text compared with, set to or inserted into DateAdded is read as the
//    locale reads it and written as sortable ISO text;
//  - ORDER BY a text column sorts without regard to case, as Jet does.
// Throws StoreError (type mismatch) for a date text that is no date.
QString Translate(const QString& jetSql);

// The ISO text stored for a date, and back.
QString IsoText(const QDateTime& value);
// "YYYY-MM-DD HH:MM:SS" (or the date alone) read without the cost of a general
// parser: the list reads one for every row. Invalid when it is no such text.
QDateTime ReadIso(const unsigned char* s, int n);

// A Jet statement as a server runs it: every quoted text is a parameter
// ($1, $2, ...), so no text of the user's is ever read as SQL.
struct ServerStatement {
    QString text;
    QList<QByteArray> parameters;  // UTF-8
    bool insertsCode = false;      // INSERT INTO Code: the text ends "RETURNING ID"
    bool insertsType = false;      // INSERT INTO Types: "RETURNING TypeID"
    bool namesIdentity = false;    // the insert gives the ID (or TypeID) itself
};
// The server's text for a Jet statement:
//  - Instr(column,'text')>0 is a case-insensitive ILIKE, which a trigram index serves;
//    any other Instr is the library's jet_instr function;
//  - dates as Translate reads them; Types.TypeID over qDisplay is its TypeID;
//  - ORDER BY sorts text ignoring case and Null first, as Jet does.
ServerStatement TranslateForServer(const QString& jetSql);

}  // namespace store::jet
