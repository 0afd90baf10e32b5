#include "store/jetsql.h"

#include <QDateTime>

#include "store/generaldate.h"
#include "store/store.h"

namespace store::jet {

namespace {

bool IsWordStart(QChar c) { return c.isLetter() || c == u'_'; }
bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

bool Is(const Token& t, const char* word) {
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Index of the next token that is not blank, from i on; -1 at end.
int NextSolid(const QList<Token>& tokens, int i) {
    for (; i < tokens.size(); ++i)
        if (tokens[i].kind != Token::Space) return i;
    return -1;
}

int PrevSolid(const QList<Token>& tokens, int i) {
    for (; i >= 0; --i)
        if (tokens[i].kind != Token::Space) return i;
    return -1;
}

bool IsComparison(const Token& t) {
    static const QStringList ops = {QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">"),
                                    QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>")};
    return t.kind == Token::Punct && ops.contains(t.text);
}

bool IsTextColumn(const Token& t) {
    return Is(t, "Name") || Is(t, "TypeName") || Is(t, "Description") || Is(t, "Source") ||
           Is(t, "Content");
}

// A date literal becomes its ISO text; a text that is no date is refused, so a
// condition never silently matches everything or nothing.
void ConvertDateLiteral(Token& t) {
    const QString value = LiteralValue(t.text);
    const QDateTime when = store::ReadDate(value);
    if (!when.isValid())
        throw StoreError(errors::kTypeMismatch,
                         QStringLiteral("Data type mismatch: '%1' is not a date.").arg(value));
    t.text = Literal(IsoText(when));
}

// INSERT INTO Code (..., DateAdded, ...) VALUES(..., 'date', ...): the value at the
// column's position.
void ConvertInsertedDate(QList<Token>& tokens) {
    int i = NextSolid(tokens, 0);
    if (i < 0 || !Is(tokens[i], "INSERT")) return;
    int open = -1;
    for (int k = i; k < tokens.size(); ++k)
        if (tokens[k].kind == Token::Punct && tokens[k].text == u'(') {
            open = k;
            break;
        }
    if (open < 0) return;
    int column = -1, position = 0, close = -1;
    for (int k = open + 1; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        if (t.kind == Token::Punct && t.text == u')') {
            close = k;
            break;
        }
        if (t.kind == Token::Punct && t.text == u',') ++position;
        if (Is(t, "DateAdded")) column = position;
    }
    if (column < 0 || close < 0) return;
    int values = NextSolid(tokens, close + 1);
    if (values < 0 || !Is(tokens[values], "VALUES")) return;
    int paren = NextSolid(tokens, values + 1);
    if (paren < 0 || tokens[paren].text != u'(') return;
    int depth = 0;
    position = 0;
    for (int k = paren + 1; k < tokens.size(); ++k) {
        Token& t = tokens[k];
        if (t.kind == Token::Punct) {
            if (t.text == u'(') ++depth;
            else if (t.text == u')') {
                if (depth == 0) break;
                --depth;
            } else if (t.text == u',' && depth == 0) {
                ++position;
                continue;
            }
        }
        if (position == column && depth == 0 && t.kind == Token::String) ConvertDateLiteral(t);
    }
}

}  // namespace

QList<Token> Tokenize(const QString& sql) {
    QList<Token> tokens;
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        int j = i + 1;
        Token::Kind kind;
        if (c.isSpace()) {
            while (j < n && sql[j].isSpace()) ++j;
            kind = Token::Space;
        } else if (c == u'\'') {
            // A literal runs to the next lone apostrophe; '' stays inside it.
            while (j < n) {
                if (sql[j] == u'\'') {
                    if (j + 1 < n && sql[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            kind = Token::String;
        } else if (c == u'"' || c == u'[' || c == u'`') {
            const QChar end = c == u'[' ? QChar(u']') : c;
            while (j < n && sql[j] != end) ++j;
            if (j < n) ++j;
            kind = Token::Quoted;
        } else if (IsWordStart(c)) {
            while (j < n && IsWordChar(sql[j])) ++j;
            kind = Token::Word;
        } else if (c.isDigit()) {
            while (j < n && (sql[j].isDigit() || sql[j] == u'.')) ++j;
            kind = Token::Number;
        } else {
            if ((c == u'<' || c == u'>') && j < n && (sql[j] == u'=' || (c == u'<' && sql[j] == u'>')))
                ++j;
            kind = Token::Punct;
        }
        tokens.append(Token{kind, sql.mid(i, j - i)});
        i = j;
    }
    return tokens;
}

QString LiteralValue(const QString& tokenText) {
    QString inner = tokenText.mid(1);
    if (inner.endsWith(u'\'')) inner.chop(1);
    return inner.replace(QStringLiteral("''"), QStringLiteral("'"));
}

QString Literal(const QString& value) {
    QString out = value;
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

QString IsoText(const QDateTime& value) {
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString Translate(const QString& jetSql) {
    QList<Token> tokens = Tokenize(jetSql);
    bool overDisplay = false;
    for (const Token& t : tokens)
        if (Is(t, "qDisplay")) overDisplay = true;

    bool inOrder = false;
    for (int i = 0; i < tokens.size(); ++i) {
        Token& t = tokens[i];
        if (t.kind != Token::Word && t.kind != Token::String) continue;

        if (t.kind == Token::String) {
            // 'date' compared with DateAdded, on either side.
            int before = PrevSolid(tokens, i - 1);
            int after = NextSolid(tokens, i + 1);
            if (before > 0 && IsComparison(tokens[before])) {
                int col = PrevSolid(tokens, before - 1);
                if (col >= 0 && Is(tokens[col], "DateAdded")) ConvertDateLiteral(t);
            } else if (after > 0 && IsComparison(tokens[after])) {
                int col = NextSolid(tokens, after + 1);
                if (col >= 0 && Is(tokens[col], "DateAdded")) ConvertDateLiteral(t);
            }
            continue;
        }

        if (overDisplay && Is(t, "Types")) {
            int dot = i + 1, col = i + 2;
            if (col < tokens.size() && tokens[dot].text == u'.' && Is(tokens[col], "TypeID")) {
                t.text.clear();
                tokens[dot].text.clear();
                i = col;
                continue;
            }
        }
        if (Is(t, "Instr")) {
            int paren = NextSolid(tokens, i + 1);
            if (paren > 0 && tokens[paren].text == u'(') t.text = QStringLiteral("jet_instr");
            continue;
        }
        if (Is(t, "ORDER")) {
            int by = NextSolid(tokens, i + 1);
            if (by > 0 && Is(tokens[by], "BY")) {
                inOrder = true;
                i = by;
            }
            continue;
        }
        if (inOrder) {
            if (Is(t, "LIMIT")) {
                inOrder = false;
                continue;
            }
            int prev = PrevSolid(tokens, i - 1);
            int next = NextSolid(tokens, i + 1);
            const bool qualified = prev >= 0 && tokens[prev].text == u'.';
            const bool isColumn = next < 0 || tokens[next].text == u',' || Is(tokens[next], "ASC") ||
                                  Is(tokens[next], "DESC");
            if (IsTextColumn(t) && isColumn && (qualified || prev < 0 || tokens[prev].text == u',' ||
                                                Is(tokens[prev], "BY")))
                t.text += QStringLiteral(" COLLATE jet_text");
        }
    }
    ConvertInsertedDate(tokens);

    QString out;
    out.reserve(jetSql.size() + 32);
    for (const Token& t : tokens) out += t.text;
    return out;
}

}  // namespace store::jet
