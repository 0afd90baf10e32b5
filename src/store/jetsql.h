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

}  // namespace store::jet
