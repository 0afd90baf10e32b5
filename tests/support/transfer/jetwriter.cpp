#include "transfer/jetwriter.h"

#include <QDate>
#include <QDateTime>
#include <QStringEncoder>
#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

namespace jetfixture {

namespace {

struct Format {
    bool jet4;
    int codePage;
    int page;      // page size
    int rowCount;  // offset of a data page's row count
};

void Put(QByteArray& b, int at, quint32 v, int bytes) {
    // Wider fields (a date's eight bytes) are zero above the value's four.
    for (int i = 0; i < bytes; ++i) b[at + i] = char(i < 4 ? (v >> (8 * i)) & 0xFF : 0);
}
void Append(QByteArray& b, quint32 v, int bytes) {
    b.append(QByteArray(bytes, '\0'));
    Put(b, int(b.size()) - bytes, v, bytes);
}

QByteArray Encode(const Format& f, const QString& text) {
    if (f.jet4) {
        QByteArray out;
        for (QChar c : text) Append(out, c.unicode(), 2);
        return out;
    }
    QStringEncoder encoder(QStringLiteral("windows-%1").arg(f.codePage).toLatin1().constData());
    const QByteArray bytes = encoder.encode(text);
    if (!encoder.isValid() || encoder.hasError()) throw std::invalid_argument("text outside the code page");
    return bytes;
}

bool Fixed(Kind k) { return k == Kind::Long || k == Kind::Int || k == Kind::Date; }
int FixedSize(Kind k) { return k == Kind::Long ? 4 : k == Kind::Int ? 2 : 8; }
quint8 TypeCode(Kind k) { return std::array<quint8, 6>{0x04, 0x03, 0x0A, 0x0C, 0x08, 0x0B}[size_t(k)]; }

quint32 PgRow(int page, int row) { return quint32(page) << 8 | quint32(row); }

class File {
public:
    explicit File(const Format& f) : f_(f) {}
    int NewPage(quint8 type) {
        pages_.emplace_back(f_.page, '\0');
        pages_.back()[0] = char(type);
        pages_.back()[1] = 0x01;
        return int(pages_.size()) - 1;
    }
    QByteArray& Page(int n) { return pages_[n]; }
    int Count() const { return int(pages_.size()); }
    // A data (or long-value) page holding `rows`, stored from the page's end down.
    void FillData(int n, quint32 owner, const QList<QByteArray>& rows, bool longValue = false) {
        QByteArray& p = Page(n);
        Put(p, 4, longValue ? 0x4C41564Cu : owner, 4);  // "LVAL" marks a long-value page
        Put(p, f_.rowCount, quint32(rows.size()), 2);
        int end = f_.page;
        for (int i = 0; i < rows.size(); ++i) {
            end -= int(rows[i].size());
            std::memcpy(p.data() + end, rows[i].constData(), size_t(rows[i].size()));
            Put(p, f_.rowCount + 2 + 2 * i, quint32(end), 2);
        }
        const int free = end - (f_.rowCount + 2 + 2 * int(rows.size()));
        if (free < 0) throw std::invalid_argument("rows overflow a page");
        Put(p, 2, quint32(free), 2);
    }
    int RowRoom(int rows) const { return f_.page - f_.rowCount - 2 - 2 * rows; }
    QByteArray Bytes() const { return pages_.join(); }

private:
    Format f_;
    QByteArrayList pages_;
};

// The 12-byte memo field: the value on a chain of long-value pages, each row led by the next one's address.
QByteArray Memo(File& file, const QByteArray& value) {
    const int chunk = file.RowRoom(1) - 4;
    QList<int> pages{file.NewPage(0x01)};
    while (pages.size() * chunk < value.size()) pages << file.NewPage(0x01);
    for (int i = 0; i < pages.size(); ++i) {
        QByteArray row;
        Append(row, i + 1 < pages.size() ? PgRow(pages[i + 1], 0) : 0, 4);
        file.FillData(pages[i], 0, {row + value.mid(qsizetype(i) * chunk, chunk)}, true);
    }
    QByteArray field;
    Append(field, quint32(value.size()), 4);
    Append(field, PgRow(pages[0], 0), 4);
    Append(field, 0, 4);
    return field;
}

double JetDate(const QDateTime& d) {
    return double(QDate(1899, 12, 30).daysTo(d.date())) + d.time().msecsSinceStartOfDay() / 86400000.0;
}

QByteArray Row(File& file, const Format& f, const QList<Column>& cols, const QVariantList& values) {
    const int width = f.jet4 ? 2 : 1;
    QByteArray row;
    Append(row, quint32(cols.size()), width);
    QByteArray nulls((cols.size() + 7) / 8, '\0');
    for (int i = 0; i < cols.size(); ++i) {
        const QVariant v = values.value(i);
        if (!v.isNull()) nulls[i / 8] = char(nulls[i / 8] | (1 << (i % 8)));
        if (!Fixed(cols[i].kind)) continue;
        if (cols[i].kind == Kind::Date) {
            const auto bits = std::bit_cast<quint64>(v.isNull() ? 0.0 : JetDate(v.toDateTime()));
            Append(row, quint32(bits), 4);
            Append(row, quint32(bits >> 32), 4);
        } else {
            Append(row, quint32(v.toLongLong()), FixedSize(cols[i].kind));
        }
    }
    QList<quint32> offsets;
    for (int i = 0; i < cols.size(); ++i) {
        const Column& c = cols[i];
        if (Fixed(c.kind)) continue;
        const QVariant v = values.value(i);
        offsets << quint32(row.size());
        if (v.isNull()) continue;
        const QByteArray bytes = Encode(f, v.toString());
        if (c.kind == Kind::Text && v.toString().size() > c.size)
            throw std::invalid_argument("text longer than its column");
        row += c.kind == Kind::Text ? bytes : Memo(file, bytes);
    }
    Append(row, quint32(row.size()), width);  // end of the data
    for (qsizetype i = offsets.size() - 1; i >= 0; --i) Append(row, offsets[i], width);
    Append(row, quint32(offsets.size()), width);
    row += nulls;
    if (!f.jet4 && row.size() > 256) throw std::invalid_argument("a Jet 3 row of this writer stays under 256 bytes");
    return row;
}

struct Placed {
    const Table* table;
    int tdef;
    QList<int> dataPages;
};

QByteArray Definition(const Format& f, const Table& t, quint32 usedMap, quint32 freeMap, bool system) {
    QByteArray d = QByteArray("\x02\x01", 2).leftJustified(f.page, '\0');
    if (!f.jet4) std::memcpy(d.data() + 2, "VC", 2);
    int numVar = 0;
    for (const Column& c : t.columns) numVar += Fixed(c.kind) ? 0 : 1;
    const int base = f.jet4 ? 8 + 8 : 8 + 4;  // num_rows
    Put(d, base, quint32(t.rows.size()), 4);
    const int type = f.jet4 ? 40 : 20;
    d[type] = char(system ? 0x53 : 0x4E);
    Put(d, type + 1, quint32(t.columns.size()), 2);
    Put(d, type + 3, quint32(numVar), 2);
    Put(d, type + 5, quint32(t.columns.size()), 2);
    Put(d, type + 15, usedMap, 4);
    Put(d, type + 19, freeMap, 4);
    int at = type + 23;
    int fixedOffset = 0, varIndex = 0;
    for (int i = 0; i < t.columns.size(); ++i) {
        const Column& c = t.columns[i];
        const bool fixed = Fixed(c.kind);
        const int len = fixed ? FixedSize(c.kind) : c.kind == Kind::Text ? c.size * (f.jet4 ? 2 : 1) : 0;
        d[at] = char(TypeCode(c.kind));
        const int num = f.jet4 ? at + 5 : at + 1;
        Put(d, num, quint32(i), 2);
        Put(d, num + 2, fixed ? 0 : quint32(varIndex), 2);
        Put(d, num + 4, quint32(i), 2);
        if (c.kind == Kind::Text || c.kind == Kind::Memo) {
            Put(d, num + 6, 0x409, 2);
            if (!f.jet4) Put(d, num + 8, 0x4E4, 2);
        }
        const int flags = f.jet4 ? at + 15 : at + 13;
        d[flags] = char((fixed ? 0x01 : 0x00) | 0x02);
        const int offsetF = f.jet4 ? at + 21 : at + 14;
        Put(d, offsetF, fixed ? quint32(fixedOffset) : 0, 2);
        Put(d, offsetF + 2, quint32(len), 2);
        fixedOffset += fixed ? len : 0;
        varIndex += fixed ? 0 : 1;
        at += f.jet4 ? 25 : 18;
    }
    for (const Column& c : t.columns) {
        const QByteArray name = Encode(f, c.name);
        Put(d, at, quint32(name.size()), f.jet4 ? 2 : 1);
        at += f.jet4 ? 2 : 1;
        std::memcpy(d.data() + at, name.constData(), size_t(name.size()));
        at += int(name.size());
    }
    Put(d, at, 0xFFFF, 2);
    at += 2;
    if (at > f.page) throw std::invalid_argument("table definition larger than a page");
    Put(d, 8, quint32(at - 8), 4);
    if (f.jet4) Put(d, 2, quint32(f.page - at - 8), 2);
    return d;
}

QByteArray UsageMap(const QList<int>& pages, int total) {
    QByteArray map(5 + (total + 7) / 8, '\0');
    for (int p : pages) map[5 + p / 8] = char(map[5 + p / 8] | (1 << (p % 8)));
    return map;
}

}  // namespace

QByteArray Write(Version version, const QList<Table>& tables, int codePage) {
    const bool jet4 = version == Version::Jet4;
    const Format f{jet4, codePage, jet4 ? 4096 : 2048, jet4 ? 12 : 8};
    File file(f);
    const int header = file.NewPage(0x00);
    const int maps = file.NewPage(0x01);
    const int catalogDef = file.NewPage(0x02);
    QList<int> defs;
    for (qsizetype i = 0; i < tables.size(); ++i) defs << file.NewPage(0x02);

    Table catalog{"MSysObjects",
                  {{"Id", Kind::Long},
                   {"ParentId", Kind::Long},
                   {"Name", Kind::Text, 64},
                   {"Type", Kind::Int},
                   {"Flags", Kind::Long},
                   {"LvProp", Kind::Ole}}};
    catalog.rows << QVariantList{catalogDef, 0x0F000001, "MSysObjects", 1, qint64(0x80000002u)};
    for (qsizetype i = 0; i < tables.size(); ++i)
        catalog.rows << QVariantList{defs[i], 0x0F000001, tables[i].name, 1, 0};

    std::vector<Placed> placed;
    placed.push_back({&catalog, catalogDef, {}});
    for (qsizetype i = 0; i < tables.size(); ++i) placed.push_back({&tables[i], defs[i], {}});
    for (Placed& p : placed) {
        QList<QByteArray> pending;
        int used = 0;
        const auto flush = [&] {
            if (pending.isEmpty()) return;
            const int page = file.NewPage(0x01);
            file.FillData(page, quint32(p.tdef), pending);
            p.dataPages << page;
            pending.clear();
            used = 0;
        };
        for (const QVariantList& values : p.table->columns.isEmpty() ? QList<QVariantList>{} : p.table->rows) {
            const QByteArray row = Row(file, f, p.table->columns, values);
            if (pending.size() == 255 || used + row.size() > file.RowRoom(int(pending.size()) + 1)) flush();
            pending << row;
            used += int(row.size());
        }
        flush();
    }

    QList<QByteArray> mapRows;
    for (const Placed& p : placed) {
        mapRows << UsageMap(p.dataPages, file.Count());
        mapRows << UsageMap({}, file.Count());
    }
    file.FillData(maps, 0, mapRows);
    for (size_t i = 0; i < placed.size(); ++i)
        file.Page(placed[i].tdef) =
            Definition(f, *placed[i].table, PgRow(maps, int(2 * i)), PgRow(maps, int(2 * i + 1)), i == 0);

    QByteArray& h = file.Page(header);
    h[1] = 0x01;
    std::memcpy(h.data() + 4, "Standard Jet DB", 15);
    Put(h, 0x14, jet4 ? 1 : 0, 4);
    Put(h, 0x3C, quint32(codePage), 2);
    // The header from 0x18 is stored scrambled with RC4 under a fixed key.
    const quint8 key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    quint8 state[256];
    for (int i = 0; i < 256; ++i) state[i] = quint8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + state[i] + key[i % 4]) & 0xFF;
        std::swap(state[i], state[j]);
    }
    for (int n = 0, i = 0, j = 0; n < (jet4 ? 128 : 126); ++n) {
        i = (i + 1) & 0xFF;
        j = (j + state[i]) & 0xFF;
        std::swap(state[i], state[j]);
        h[0x18 + n] = char(quint8(h[0x18 + n]) ^ state[(state[i] + state[j]) & 0xFF]);
    }
    Put(h, 0x3E, 0x4EBC8AFBu, 4);  // read as it stands: this key, xor its mask, is 0, so no page is scrambled
    return file.Bytes();
}

QList<Table> LibraryTables(const QStringList& categories, const QList<QVariantList>& snippets) {
    Table types{"Types", {{"TypeID", Kind::Long}, {"TypeName", Kind::Text, 50}}};
    for (int i = 0; i < categories.size(); ++i) types.rows << QVariantList{i + 1, categories[i]};
    Table code{"Code",
               {{"ID", Kind::Long},
                {"TypeID", Kind::Long},
                {"Name", Kind::Text, 50},
                {"Description", Kind::Text, 100},
                {"DateAdded", Kind::Date},
                {"Source", Kind::Text, 100},
                {"Content", Kind::Memo}}};
    for (int i = 0; i < snippets.size(); ++i) code.rows << (QVariantList{i + 1} + snippets[i]);
    return {types, code};
}

}  // namespace jetfixture
