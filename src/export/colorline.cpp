#include "export/colorline.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "export/colorline_detail.h"

namespace exporting {

namespace detail {
const QString K = QStringLiteral("<span class=\"keyword\">");
const QString C = QStringLiteral("<span class=\"comment\">");
const QString Z = QStringLiteral("</span>");
}  // namespace detail

namespace {

const QStringList& Statements() {
    static const QStringList list = {"GoSub",
                                     "Return",
                                     "GoTo",
                                     "On Error",
                                     "On GoSub",
                                     "DoEvents",
                                     "End",
                                     "Exit",
                                     "Stop",
                                     "Loop",
                                     "Do",
                                     "For",
                                     "Next",
                                     "Step",
                                     "Each",
                                     "While",
                                     "Wend",
                                     "With",
                                     "If",
                                     "Then",
                                     "Else",
                                     "Select",
                                     "Case",
                                     "Call",
                                     "Function",
                                     "Property Get",
                                     "Property Let",
                                     "Property Set",
                                     "Sub",
                                     "Resume",
                                     "Open",
                                     "Close",
                                     "Reset",
                                     "Seek",
                                     "Print",
                                     "Put",
                                     "Write",
                                     "Not",
                                     "And",
                                     "Or",
                                     "Xor",
                                     "Eqv",
                                     "Imp",
                                     "Is",
                                     "Nothing",
                                     "Like",
                                     "Option Compare",
                                     "Option Explicit",
                                     "Declare",
                                     "Option Private Module",
                                     "Type",
                                     "Enum",
                                     "Const",
                                     "Dim",
                                     "Private",
                                     "Public",
                                     "New",
                                     "Static",
                                     "As",
                                     "Implements",
                                     "Set",
                                     "To",
                                     "In",
                                     "ElseIf",
                                     "Boolean",
                                     "Lib",
                                     "Alias",
                                     "Any",
                                     "Byte",
                                     "Currency",
                                     "Date",
                                     "Double",
                                     "Integer",
                                     "Long",
                                     "Object",
                                     "Single",
                                     "String",
                                     "Variant",
                                     "ByVal",
                                     "ByRef",
                                     "Debug.Print",
                                     "Debug.Assert",
                                     "Until"};
    return list;
}

const QStringList& Arguments() {
    static const QStringList list = {"CBool",    "CByte",   "CCur",   "CDate",   "CDbl",  "CDec",    "CInt",
                                     "CLng",     "CSng",    "CStr",   "CVar",    "CVErr", "Boolean", "Byte",
                                     "Currency", "Date",    "Double", "Integer", "Long",  "Object",  "Single",
                                     "String",   "Variant", "ByVal",  "ByRef"};
    return list;
}

const QString kCrLf = QStringLiteral("\r\n");
const QString kBlank = QStringLiteral(" ");

}  // namespace

void FillKeywordTables() {
    (void)Statements();
    (void)Arguments();
}
const QStringList& StatementKeywords() { return Statements(); }
const QStringList& ArgumentKeywords() { return Arguments(); }

qint32 CountStr(const QString& s1, const QString& s2) {
    // An empty s2 would be found at every position for ever: it counts nothing.
    if (s2.isEmpty()) return 0;
    qint32 count = 0;
    qsizetype p = 0;
    for (;;) {
        const qsizetype q = s1.indexOf(s2, p, Qt::CaseSensitive);
        if (q < 0) return count;
        ++count;
        p = q + 1;
    }
}

namespace detail {

QString MarkKeywordsReference(const QString& text) {
    QString s = text;
    for (const QString& w : Statements()) {
        s.replace(kCrLf + w + kBlank, kCrLf + K + w + Z + kBlank);
        s.replace(kBlank + w + kBlank, kBlank + K + w + Z + kBlank);
        s.replace(kBlank + w + kCrLf, kBlank + K + w + Z + kCrLf);
    }
    for (const QString& w : Arguments()) {
        s.replace(u'(' + w, u'(' + K + w + Z);
        s.replace(w + u',', K + w + Z + u',');
        s.replace(w + u')', K + w + Z + u')');
    }
    return s;
}

namespace {

// The marks of the keyword steps, kept beside the text instead of in it: each
// replace-all wraps a keyword in K ... Z, so the text a later step sees is the
// original with tags in some gaps between characters. A later match needs its
// characters side by side, that is no tag in the gaps inside it.
class Marks {
public:
    // The work vectors are kept per thread: colouring runs once per snippet, and
    // fresh vectors each time cost more than the scan.
    explicit Marks(const QString& text)
        : t_(text.constData()), n_(int(text.size())), used_(UsedStore()), where_(WhereStore()), tags_(TagStore()) {
        used_.assign(size_t(n_) + 1, 0);
        where_.resize(size_t(n_) + 1);  // read only where used_ is set
        tags_.clear();
    }

    QChar At(int i) const { return i >= 0 && i < n_ ? t_[i] : QChar(); }
    int Size() const { return n_; }
    bool Matches(int s, const QString& w) const {
        return s >= 0 && s + int(w.size()) <= n_ && std::equal(w.constData(), w.constData() + w.size(), t_ + s);
    }
    bool Free(int from, int to) const {  // no tag in gaps from..to
        for (int g = from; g <= to; ++g)
            if (used_[size_t(g)]) return false;
        return true;
    }
    // A tag joins the gap: an opening one after what is there, a closing one before it.
    void Open(int gap) { Add(gap, ++seq_); }
    void Close(int gap) { Add(gap, -(++seq_)); }

    void Sort() {
        if (shared_) {
            std::sort(tags_.begin(), tags_.end());
            return;
        }
        // One tag a gap, the usual case: the gaps in order are the tags in order.
        thread_local std::vector<Tag> sorted;
        sorted.clear();
        sorted.reserve(tags_.size());
        const unsigned char* used = used_.data();
        const size_t gaps = size_t(n_) + 1;
        for (size_t g = 0; g < gaps;) {
            std::uint64_t eight = 0;
            if (g + 8 <= gaps && (std::memcpy(&eight, used + g, 8), eight == 0)) {
                g += 8;
                continue;
            }
            if (used[g]) sorted.push_back(tags_[size_t(where_[g])]);
            ++g;
        }
        tags_.swap(sorted);
    }
    QString Text() {
        Sort();
        QString out;
        out.reserve(n_ + qsizetype(tags_.size()) * 16);
        int i = 0;
        for (const Tag& tag : tags_) {
            out.append(t_ + i, tag.Gap() - i);
            i = tag.Gap();
            out += tag.Open() ? K : Z;
        }
        out.append(t_ + i, n_ - i);
        return out;
    }

    // Ordered by gap, then by key: in one gap, the closing tags (later ones first),
    // then the opening ones in the order they were made. Both in one number, so the
    // sort compares one integer.
    struct Tag {
        std::uint64_t packed;
        int Gap() const { return int(packed >> 32); }
        bool Open() const { return std::uint32_t(packed) > 0x80000000u; }
        bool operator<(const Tag& o) const { return packed < o.packed; }
    };
    std::vector<Tag>& Tags() { return tags_; }
    const QChar* Chars() const { return t_; }

private:
    void Add(int gap, int key) {  // key > 0 opens
        unsigned char& used = used_[size_t(gap)];
        shared_ = shared_ || used != 0;
        used = 1;
        where_[size_t(gap)] = int(tags_.size());
        tags_.push_back(
            Tag{(std::uint64_t(std::uint32_t(gap)) << 32) | std::uint32_t(std::int64_t(key) + 0x80000000LL)});
    }
    const QChar* t_;
    int n_;
    static std::vector<unsigned char>& UsedStore() {
        thread_local std::vector<unsigned char> store;
        return store;
    }
    static std::vector<int>& WhereStore() {
        thread_local std::vector<int> store;
        return store;
    }
    static std::vector<Tag>& TagStore() {
        thread_local std::vector<Tag> store;
        return store;
    }
    std::vector<unsigned char>& used_;  // gaps holding a tag
    std::vector<int>& where_;           // the tag of each such gap, by its index
    std::vector<Tag>& tags_;
    int seq_ = 0;
    bool shared_ = false;  // some gap holds more than one tag
};

// Keywords by their first (or last) letter, so a scan position tries only a few.
struct Entry {
    const char16_t* chars;
    int len;
    int keyword;
};

// What a pair of neighbouring characters may start: a flag of the character
// before and one of the character itself, and work only where both agree.
enum : unsigned char {
    kAfterDelimiter = 1,  // a statement keyword after a blank or a line end
    kAfterParen = 2,      // an argument keyword after "("
    kBeforeSign = 4,      // an argument keyword ending before "," or ")"
    kSpan = 8,            // the "n" of "span"
};

struct Index {
    std::array<std::vector<Entry>, 128> byFirst;
    std::array<std::vector<Entry>, 128> argByFirst;
    std::array<std::vector<Entry>, 128> argByLast;
    std::array<unsigned char, 128> asBefore{};
    std::array<unsigned char, 128> asChar{};
    Index() {
        const QStringList& st = Statements();
        for (int i = 0; i < st.size(); ++i)
            byFirst[size_t(st[i][0].unicode())].push_back(
                {reinterpret_cast<const char16_t*>(st[i].constData()), int(st[i].size()), i});
        const QStringList& ar = Arguments();
        for (int i = 0; i < ar.size(); ++i) {
            argByFirst[size_t(ar[i][0].unicode())].push_back(
                {reinterpret_cast<const char16_t*>(ar[i].constData()), int(ar[i].size()), i});
            argByLast[size_t(ar[i].back().unicode())].push_back(
                {reinterpret_cast<const char16_t*>(ar[i].constData()), int(ar[i].size()), i});
        }
        asBefore[' '] |= kAfterDelimiter;
        asBefore['\n'] |= kAfterDelimiter;
        asBefore['('] |= kAfterParen;
        asBefore['a'] |= kSpan;
        asChar[','] |= kBeforeSign;
        asChar[')'] |= kBeforeSign;
        asChar['n'] |= kSpan;
        for (size_t c = 0; c < 128; ++c) {
            if (!byFirst[c].empty()) asChar[c] |= kAfterDelimiter;
            if (!argByFirst[c].empty()) asChar[c] |= kAfterParen;
            if (!argByLast[c].empty()) asBefore[c] |= kBeforeSign;
        }
    }
};

inline bool Same(const char16_t* a, const char16_t* b, int len) {
    for (int i = 0; i < len; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

const Index& Keywords() {
    static const Index index;
    return index;
}

}  // namespace

namespace {

// Returns whether the text holds "span", the word of every tag.
bool FindMarks(Marks& m) {
    const Index& index = Keywords();
    const QStringList& st = Statements();
    const QStringList& ar = Arguments();
    const int n = m.Size();

    // Every place a keyword stands between delimiters, or beside a parenthesis or
    // comma, gathered per keyword: the scan finds them in text order, which is the
    // order each replace-all meets them.
    thread_local std::vector<std::vector<int>> words, args;
    words.resize(size_t(st.size()));
    args.resize(size_t(ar.size()));
    for (auto& v : words) v.clear();
    for (auto& v : args) v.clear();
    const char16_t* t = reinterpret_cast<const char16_t*>(m.Chars());
    bool tagText = false;
    for (int s = 1; s < n; ++s) {
        const char16_t before = t[s - 1];
        const char16_t c = t[s];
        if (c >= 128 || before >= 128) continue;
        const unsigned flags = index.asBefore[before] & index.asChar[c];
        if (flags == 0) continue;
        if (flags & kAfterDelimiter) {
            for (const Entry& w : index.byFirst[c]) {
                const int e = s + w.len;
                if (e < n && (t[e] == u' ' || t[e] == u'\r') && Same(t + s, w.chars, w.len))
                    words[size_t(w.keyword)].push_back(s);
            }
        } else if (flags & kAfterParen) {
            for (const Entry& w : index.argByFirst[c])
                if (s + w.len <= n && Same(t + s, w.chars, w.len)) args[size_t(w.keyword)].push_back(s);
        }
        if (flags & kBeforeSign) {
            for (const Entry& w : index.argByLast[before]) {
                const int start = s - w.len;
                if (start >= 0 && Same(t + start, w.chars, w.len)) args[size_t(w.keyword)].push_back(start);
            }
        } else if ((flags & kSpan) && s >= 3 && t[s - 2] == u'p' && t[s - 3] == u's') {
            tagText = true;
        }
    }

    // The replace-alls in their order, each a left-to-right scan that continues after
    // what it replaced.
    for (size_t k = 0; k < words.size(); ++k) {
        const std::vector<int>& at = words[k];
        if (at.empty()) continue;
        const int len = int(st[int(k)].size());
        for (int step = 0; step < 3; ++step) {
            int resume = 0;  // first character the scan may use
            for (const int s : at) {
                const int e = s + len;
                bool ok;
                int from, to;
                if (step == 0) {
                    ok = m.At(s - 2) == u'\r' && m.At(s - 1) == u'\n' && m.At(e) == u' ';
                    from = s - 2;
                    to = e;
                } else if (step == 1) {
                    ok = m.At(s - 1) == u' ' && m.At(e) == u' ';
                    from = s - 1;
                    to = e;
                } else {
                    ok = m.At(s - 1) == u' ' && m.At(e) == u'\r' && m.At(e + 1) == u'\n';
                    from = s - 1;
                    to = e + 1;
                }
                if (!ok || from < resume || !m.Free(from + 1, to)) continue;
                m.Open(s);
                m.Close(e);
                resume = to + 1;
            }
        }
    }
    for (size_t k = 0; k < args.size(); ++k) {
        std::vector<int>& at = args[k];
        if (at.empty()) continue;
        // Found at "(" and at "," or ")", "(Long)" twice: in order, once each.
        std::sort(at.begin(), at.end());
        at.erase(std::unique(at.begin(), at.end()), at.end());
        const int len = int(ar[int(k)].size());
        for (int step = 0; step < 3; ++step) {
            int resume = 0;
            for (const int s : at) {
                const int e = s + len;
                if (step == 0) {
                    if (m.At(s - 1) != u'(' || s - 1 < resume || !m.Free(s, e - 1)) continue;
                    m.Open(s);
                    m.Close(e);
                    resume = e;
                } else {
                    if (m.At(e) != (step == 1 ? u',' : u')') || s < resume || !m.Free(s + 1, e)) continue;
                    m.Open(s);
                    m.Close(e);
                    resume = e + 1;
                }
            }
        }
    }
    return tagText;
}

// The first CR, double quote or apostrophe at or after i, or end: eight characters
// at a time where the processor allows, since most of a line holds none of them.
inline int NextLineSign(const char16_t* t, int i, int end) {
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi16(u'\r'), quote = _mm_set1_epi16(u'"'), apostrophe = _mm_set1_epi16(u'\'');
    for (; i + 8 <= end; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, quote)),
                                         _mm_cmpeq_epi16(v, apostrophe));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0) return i + (__builtin_ctz(unsigned(mask)) >> 1);
    }
#endif
    while (i < end && t[i] != u'\r' && t[i] != u'"' && t[i] != u'\'') ++i;
    return i;
}

// Joining, the comment pass and the joining of comments, done while the marked
// text is written out. Exact only when the snippet itself holds no tag text
// (no "span"): then every tag in the text is one of ours.
QString Emit(Marks& m) {
    m.Sort();
    std::vector<Marks::Tag>& tags = m.Tags();
    const QChar* t = m.Chars();
    const int n = m.Size();
    if (n == 0) return QString();
    // Z + blank + K becomes a blank.
    thread_local std::vector<unsigned char> dropped;
    dropped.assign(tags.size(), 0);
    for (size_t i = 0; i + 1 < tags.size(); ++i) {
        const Marks::Tag& a = tags[i];
        const Marks::Tag& b = tags[i + 1];
        if (!a.Open() && b.Open() && b.Gap() == a.Gap() + 1 && a.Gap() < n && t[a.Gap()] == u' ') {
            // Sorted by gap: a is the last tag of its gap, b the first of the next.
            dropped[i] = dropped[i + 1] = 1;
        }
    }
    QString out;
    out.reserve(n + qsizetype(tags.size()) * 24 + 64);
    size_t ti = 0;
    bool lastWasZ = false;  // the previous line ended with a closing tag
    int ls = 0;
    for (;;) {
        // One pass finds the line end and the first apostrophe outside a string.
        int le = ls;
        int quotes = 0, comment = -1;
        for (;; ++le) {
            le = NextLineSign(reinterpret_cast<const char16_t*>(t), le, n);
            if (le >= n) break;
            const QChar ch = t[le];
            if (ch == u'\r') {
                if (le + 1 < n && t[le + 1] == u'\n') break;
            } else if (ch == u'"') {
                ++quotes;
            } else if (comment < 0 && quotes % 2 == 0) {
                comment = le;
            }
        }
        const int visibleEnd = comment < 0 ? le : comment;  // tags after this gap are dropped
        bool endsWithZ = false;
        if (comment == ls && lastWasZ) {
            // Z CR LF C becomes CR LF: this comment continues the span above.
            out.chop(Z.size() + 2);
            out += kCrLf;
        }
        int i = ls;
        for (; ti < tags.size() && tags[ti].Gap() <= le; ++ti) {
            const Marks::Tag& tag = tags[ti];
            if (tag.Gap() > visibleEnd || dropped[ti]) continue;
            out.append(t + i, tag.Gap() - i);
            i = tag.Gap();
            out += tag.Open() ? K : Z;
            endsWithZ = !tag.Open() && tag.Gap() == le;
        }
        if (comment < 0) {
            out.append(t + i, le - i);
        } else {
            out.append(t + i, comment - i);
            if (!(comment == ls && lastWasZ)) out += C;
            out.append(t + comment, le - comment);
            out += Z;
            endsWithZ = true;
        }
        out += kCrLf;
        lastWasZ = endsWithZ;
        if (le >= n) break;
        ls = le + 2;
    }
    return out;
}

}  // namespace

QString MarkKeywordsFast(const QString& text) {
    Marks m(text);
    (void)FindMarks(m);
    return m.Text();
}

QString FinishLine(QString s) {
    s.replace(Z + kBlank + K, kBlank);

    QString out;
    out.reserve(s.size() + 64);
    if (s.isEmpty()) return out;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = s.indexOf(kCrLf, start);
        const QStringView line = QStringView(s).mid(start, (end < 0 ? s.size() : end) - start);
        // The first apostrophe with an even number of double quotes before it.
        qsizetype quotes = 0, comment = -1;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == u'"')
                ++quotes;
            else if (line[i] == u'\'' && quotes % 2 == 0) {
                comment = i;
                break;
            }
        }
        if (comment < 0) {
            out += line;
        } else {
            QString rest = line.mid(comment).toString();
            rest.remove(K);
            rest.remove(Z);
            out += line.left(comment);
            out += C;
            out += rest;
            out += Z;
        }
        out += kCrLf;
        if (end < 0) break;
        start = end + 2;
    }
    out.replace(Z + kCrLf + C, kCrLf);
    return out;
}

QString ColorLineReference(const QString& text) {
    QString s = MarkKeywordsReference(text);
    s.replace(Z + kBlank + K, kBlank);
    // The comment pass exactly as defined, counting with CountStr.
    if (s.isEmpty()) return QString();
    const QStringList lines = s.split(kCrLf);
    QString out;
    for (const QString& line : lines) {
        qsizetype comment = -1;
        for (qsizetype at = line.indexOf(u'\''); at >= 0; at = line.indexOf(u'\'', at + 1)) {
            if (CountStr(line.left(at), QStringLiteral("\"")) % 2 == 0) {
                comment = at;
                break;
            }
        }
        if (comment < 0) {
            out += line + kCrLf;
        } else {
            QString rest = line.mid(comment);
            rest.replace(K, QString());
            rest.replace(Z, QString());
            out += line.left(comment) + C + rest + Z + kCrLf;
        }
    }
    out.replace(Z + kCrLf + C, kCrLf);
    return out;
}

}  // namespace detail

QString ColorLine(const QString& text) {
    detail::Marks m(text);
    if (detail::FindMarks(m)) return detail::FinishLine(m.Text());
    return detail::Emit(m);
}

}  // namespace exporting
