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
    static const QStringList ops = {QStringLiteral("="),  QStringLiteral("<"),  QStringLiteral(">"),
                                    QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>")};
    return t.kind == Token::Punct && ops.contains(t.text);
}

bool IsTextColumn(const Token& t) {
    return Is(t, "Name") || Is(t, "TypeName") || Is(t, "Description") || Is(t, "Source") || Is(t, "Content");
}

// A date literal becomes its ISO text; a text that is no date is refused, so a
// condition never silently matches everything or nothing.
void ConvertDateLiteral(Token& t) {
    const QString value = LiteralValue(t.text);
    const QDateTime when = store::ReadDate(value);
    if (!when.isValid())
        throw StoreError(errors::kTypeMismatch, QStringLiteral("Data type mismatch: '%1' is not a date.").arg(value));
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
            if (t.text == u'(')
                ++depth;
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
            if ((c == u'<' || c == u'>') && j < n && (sql[j] == u'=' || (c == u'<' && sql[j] == u'>'))) ++j;
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

QString IsoText(const QDateTime& value) { return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

QDateTime ReadIso(const unsigned char* s, int n) {
    auto digits = [s](int at, int count) {
        int v = 0;
        for (int i = 0; i < count; ++i) {
            const unsigned char c = s[at + i];
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    if (n < 10 || s[4] != '-' || s[7] != '-') return {};
    const QDate date(digits(0, 4), digits(5, 2), digits(8, 2));
    if (!date.isValid()) return {};
    QTime time(0, 0);
    if (n >= 19 && (s[10] == ' ' || s[10] == 'T') && s[13] == ':' && s[16] == ':') {
        time = QTime(digits(11, 2), digits(14, 2), digits(17, 2));
        if (!time.isValid()) return {};
    } else if (n != 10) {
        return {};
    }
    return QDateTime(date, time);
}

namespace {

// The date literals of a statement (compared with DateAdded, on either side, or
// inserted into it) become ISO texts.
void ConvertDates(QList<Token>& tokens) {
    for (int i = 0; i < tokens.size(); ++i) {
        Token& t = tokens[i];
        if (t.kind != Token::String) continue;
        const int before = PrevSolid(tokens, i - 1);
        const int after = NextSolid(tokens, i + 1);
        if (before > 0 && IsComparison(tokens[before])) {
            const int col = PrevSolid(tokens, before - 1);
            if (col >= 0 && Is(tokens[col], "DateAdded")) ConvertDateLiteral(t);
        } else if (after > 0 && IsComparison(tokens[after])) {
            const int col = NextSolid(tokens, after + 1);
            if (col >= 0 && Is(tokens[col], "DateAdded")) ConvertDateLiteral(t);
        }
    }
    ConvertInsertedDate(tokens);
}

// Instr(column,'text')>0 from token i (the Instr): the index past the 0, or -1.
int InstrContains(const QList<Token>& tokens, int i, int* column, int* text) {
    const int open = NextSolid(tokens, i + 1);
    if (open < 0 || tokens[open].text != u'(') return -1;
    const int col = NextSolid(tokens, open + 1);
    if (col < 0 || tokens[col].kind != Token::Word) return -1;
    const int comma = NextSolid(tokens, col + 1);
    if (comma < 0 || tokens[comma].text != u',') return -1;
    const int str = NextSolid(tokens, comma + 1);
    if (str < 0 || tokens[str].kind != Token::String) return -1;
    const int close = NextSolid(tokens, str + 1);
    if (close < 0 || tokens[close].text != u')') return -1;
    const int gt = NextSolid(tokens, close + 1);
    if (gt < 0 || tokens[gt].text != u'>') return -1;
    const int zero = NextSolid(tokens, gt + 1);
    if (zero < 0 || tokens[zero].kind != Token::Number || tokens[zero].text != u'0') return -1;
    *column = col;
    *text = str;
    return zero + 1;
}

// A LIKE pattern that finds `value` anywhere: its own %, _ and \ stand for themselves.
QString ContainsPattern(const QString& value) {
    QString out;
    out.reserve(value.size() + 8);
    out += u'%';
    for (const QChar c : value) {
        if (c == u'%' || c == u'_' || c == u'\\') out += u'\\';
        out += c;
    }
    out += u'%';
    return out;
}

}  // namespace

ServerStatement TranslateForServer(const QString& jetSql) {
    QList<Token> tokens = Tokenize(jetSql);
    ConvertDates(tokens);
    ServerStatement out;
    bool overDisplay = false;
    for (const Token& t : tokens)
        if (Is(t, "qDisplay")) overDisplay = true;
    const int first = NextSolid(tokens, 0);
    if (first >= 0 && Is(tokens[first], "INSERT")) {
        const int into = NextSolid(tokens, first + 1);
        const int table = into < 0 ? -1 : NextSolid(tokens, into + 1);
        if (table >= 0 && Is(tokens[into], "INTO")) {
            out.insertsCode = Is(tokens[table], "Code");
            out.insertsType = Is(tokens[table], "Types");
            for (int k = table + 1; k < tokens.size() && tokens[k].text != u')'; ++k)
                if ((out.insertsCode && Is(tokens[k], "ID")) || (out.insertsType && Is(tokens[k], "TypeID")))
                    out.namesIdentity = true;
        }
    }
    auto parameter = [&out](const QString& value) {
        out.parameters.append(value.toUtf8());
        return QStringLiteral("$%1").arg(out.parameters.size());
    };
    bool inOrder = false;
    QString& sql = out.text;
    sql.reserve(jetSql.size() + 32);
    for (int i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::String) {
            sql += parameter(LiteralValue(t.text));
            continue;
        }
        if (t.kind != Token::Word) {
            sql += t.text;
            continue;
        }
        if (overDisplay && Is(t, "Types") && i + 2 < tokens.size() && tokens[i + 1].text == u'.' &&
            Is(tokens[i + 2], "TypeID")) {
            sql += tokens[i + 2].text;
            i += 2;
            continue;
        }
        if (Is(t, "Instr")) {
            int column = -1, text = -1;
            const int end = InstrContains(tokens, i, &column, &text);
            if (end > 0) {
                sql += u'(' + tokens[column].text + QStringLiteral(" ILIKE ") +
                       parameter(ContainsPattern(LiteralValue(tokens[text].text))) + u')';
                i = end - 1;
            } else {
                sql += QStringLiteral("jet_instr");
            }
            continue;
        }
        if (Is(t, "ORDER")) {
            const int by = NextSolid(tokens, i + 1);
            if (by > 0 && Is(tokens[by], "BY")) inOrder = true;
            sql += t.text;
            continue;
        }
        if (inOrder && !Is(t, "BY") && !Is(t, "ASC") && !Is(t, "DESC")) {
            const int prev = PrevSolid(tokens, i - 1);
            const int next = NextSolid(tokens, i + 1);
            const bool listed = prev >= 0 && (tokens[prev].text == u',' || Is(tokens[prev], "BY"));
            const bool desc = next >= 0 && Is(tokens[next], "DESC");
            const bool ends = next < 0 || tokens[next].text == u',' || desc || Is(tokens[next], "ASC");
            if (listed && ends) {
                sql += IsTextColumn(t) ? QStringLiteral("lower(") + t.text + u')' : t.text;
                if (desc || (next >= 0 && Is(tokens[next], "ASC"))) {
                    for (int k = i + 1; k <= next; ++k) sql += tokens[k].text;
                    i = next;
                }
                sql += desc ? QStringLiteral(" NULLS LAST") : QStringLiteral(" NULLS FIRST");
                continue;
            }
        }
        sql += t.text;
    }
    // A file lists its snippets in the order they were added; a server keeps no
    // order of its own (a saved row moves, a copy's rows arrive in two streams).
    bool listsDisplay = overDisplay && first >= 0 && Is(tokens[first], "SELECT");
    for (int k = first + 1; listsDisplay && k < tokens.size() && !Is(tokens[k], "FROM"); ++k)
        listsDisplay = tokens[k].text != u'(' && !Is(tokens[k], "DISTINCT");  // rows, not a summary of them
    if (listsDisplay) sql += inOrder ? QStringLiteral(", ID") : QStringLiteral(" ORDER BY ID");
    if (out.insertsCode) sql += QStringLiteral(" RETURNING ID");
    if (out.insertsType) sql += QStringLiteral(" RETURNING TypeID");
    return out;
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
            const bool isColumn =
                next < 0 || tokens[next].text == u',' || Is(tokens[next], "ASC") || Is(tokens[next], "DESC");
            if (IsTextColumn(t) && isColumn &&
                (qualified || prev < 0 || tokens[prev].text == u',' || Is(tokens[prev], "BY")))
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
