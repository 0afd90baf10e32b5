#include "transfer/jetwriter.h"

#include <QDate>
#include <QDateTime>
#include <QStringEncoder>
#include <bit>

namespace jetfixture {

namespace {

void Put(QByteArray& b, int at, quint64 v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}
void Append(QByteArray& b, quint64 v, int bytes) {
    b.append(QByteArray(bytes, '\0'));
    Put(b, int(b.size()) - bytes, v, bytes);
}

bool Fixed(Kind k) { return k == Kind::Long || k == Kind::Date; }
quint32 PgRow(int page, int row) { return quint32(page) << 8 | quint32(row); }

struct File {
    bool jet4;
    int codePage;
    int page;      // page size
    int rowCount;  // offset of a data page's row count
    QByteArrayList pages{};
    int NewPage(char type) {
        pages << QByteArray(page, '\0');
        pages.back()[0] = type;
        pages.back()[1] = 0x01;
        return int(pages.size()) - 1;
    }
    // A data (or long-value) page holding `rows`, stored from the page's end down.
    void Fill(int n, quint32 owner, const QList<QByteArray>& rows) {
        QByteArray& p = pages[n];
        Put(p, 4, owner, 4);
        Put(p, rowCount, quint32(rows.size()), 2);
        int end = page;
        for (int i = 0; i < rows.size(); ++i) {
            end -= int(rows[i].size());
            p.replace(end, rows[i].size(), rows[i]);
            Put(p, rowCount + 2 + 2 * i, quint32(end), 2);
        }
        Put(p, 2, quint32(end - (rowCount + 2 + 2 * int(rows.size()))), 2);
    }
};

QByteArray Encode(const File& f, const QString& text) {
    if (f.jet4) return QStringEncoder(QStringConverter::Utf16LE).encode(text);
    return QStringEncoder(QStringLiteral("windows-%1").arg(f.codePage).toLatin1().constData()).encode(text);
}

// The 12-byte memo field: the value on a chain of long-value pages, each row led by the next one's address.
QByteArray Memo(File& file, const QByteArray& value) {
    const int chunk = file.page - file.rowCount - 8;  // one row, its offset and the next address
    const int first = int(file.pages.size());
    for (qsizetype at = 0; at == 0 || at < value.size(); at += chunk) {
        QByteArray row;
        Append(row, at + chunk < value.size() ? PgRow(int(file.pages.size()) + 1, 0) : 0, 4);
        file.Fill(file.NewPage(0x01), 0x4C41564Cu, {row + value.mid(at, chunk)});  // "LVAL" marks the page
    }
    QByteArray field;
    Append(field, quint32(value.size()), 4);
    Append(field, PgRow(first, 0), 8);  // and four bytes of 0
    return field;
}

QByteArray Row(File& file, const QList<Column>& cols, const QVariantList& values) {
    const int width = file.jet4 ? 2 : 1;
    QByteArray row;
    Append(row, quint32(cols.size()), width);
    QByteArray nulls((cols.size() + 7) / 8, '\0');
    for (int i = 0; i < cols.size(); ++i) {
        const QVariant v = values.value(i);
        if (!v.isNull()) nulls[i / 8] = char(nulls[i / 8] | (1 << (i % 8)));
        if (cols[i].kind == Kind::Long) Append(row, quint32(v.toLongLong()), 4);
        if (cols[i].kind != Kind::Date) continue;
        const QDateTime d = v.toDateTime();
        const double days = double(QDate(1899, 12, 30).daysTo(d.date())) + d.time().msecsSinceStartOfDay() / 86400000.0;
        Append(row, std::bit_cast<quint64>(days), 8);
    }
    QList<quint32> offsets;
    for (int i = 0; i < cols.size(); ++i) {
        if (Fixed(cols[i].kind)) continue;
        offsets << quint32(row.size());
        if (values.value(i).isNull()) continue;
        const QByteArray text = Encode(file, values.value(i).toString());
        row += cols[i].kind == Kind::Text ? text : Memo(file, text);
    }
    Append(row, quint32(row.size()), width);  // end of the data
    for (qsizetype i = offsets.size() - 1; i >= 0; --i) Append(row, offsets[i], width);
    Append(row, quint32(offsets.size()), width);
    return row + nulls;
}

// Readers take the free-space map only to write, so it is the table's used-page map again.
QByteArray Definition(const File& f, const Table& t, quint32 usageMap) {
    QByteArray d = QByteArray(f.jet4 ? "\x02\x01" : "\x02\x01VC", f.jet4 ? 2 : 4).leftJustified(f.page, '\0');
    Put(d, f.jet4 ? 16 : 12, quint32(t.rows.size()), 4);
    const int type = f.jet4 ? 40 : 20;
    Put(d, type + 1, quint32(t.columns.size()), 2);
    Put(d, type + 5, quint32(t.columns.size()), 2);
    Put(d, type + 15, usageMap, 4);
    Put(d, type + 19, usageMap, 4);
    int at = type + 23, fixedOffset = 0, varIndex = 0;
    for (int i = 0; i < t.columns.size(); ++i, at += f.jet4 ? 25 : 18) {
        const Kind k = t.columns[i].kind;
        int len = k == Kind::Long ? 4 : k == Kind::Date ? 8 : 0;
        if (k == Kind::Text) len = t.columns[i].size * (f.jet4 ? 2 : 1);
        d[at] = "\x04\x0A\x0C\x08\x0B"[int(k)];  // the type codes, in the order of Kind
        const int num = f.jet4 ? at + 5 : at + 1;
        Put(d, num, quint32(i), 2);
        Put(d, num + 2, Fixed(k) ? 0 : quint32(varIndex++), 2);
        Put(d, num + 4, quint32(i), 2);
        d[f.jet4 ? at + 15 : at + 13] = char((Fixed(k) ? 0x01 : 0x00) | 0x02);
        const int offsetF = f.jet4 ? at + 21 : at + 14;
        Put(d, offsetF, Fixed(k) ? quint32(fixedOffset) : 0, 2);
        Put(d, offsetF + 2, quint32(len), 2);
        fixedOffset += Fixed(k) ? len : 0;
    }
    Put(d, type + 3, quint32(varIndex), 2);  // the count of variable-length columns
    for (const Column& c : t.columns) {
        const QByteArray name = Encode(f, c.name);
        Put(d, at, quint32(name.size()), f.jet4 ? 2 : 1);
        at += f.jet4 ? 2 : 1;
        d.replace(at, name.size(), name);
        at += int(name.size());
    }
    Put(d, at, 0xFFFF, 2);
    at += 2;
    Put(d, 8, quint32(at - 8), 4);
    if (f.jet4) Put(d, 2, quint32(f.page - at - 8), 2);
    return d;
}

}  // namespace

QByteArray Write(Version version, const QList<Table>& tables, int codePage) {
    const bool jet4 = version == Version::Jet4;
    File file{jet4, codePage, jet4 ? 4096 : 2048, jet4 ? 12 : 8};
    file.NewPage(0x00);  // the header, filled last
    const int maps = file.NewPage(0x01);
    // The catalog first, then each table: definitions on pages 2, 3, ...
    QList<Table> all{{"MSysObjects", {{"Id", Kind::Long}, {"Name", Kind::Text, 64}, {"Type", Kind::Long}}}};
    all[0].columns << Column{"Flags", Kind::Long} << Column{"LvProp", Kind::Ole};  // a reader binds every one
    all += tables;
    for (int i = 0; i < all.size(); ++i) {
        file.NewPage(0x02);
        all[0].rows << QVariantList{2 + i, all[i].name, 1, i == 0 ? qint64(0x80000002u) : 0};
    }
    QList<QByteArray> mapRows;
    for (int i = 0; i < all.size(); ++i) {
        QList<QByteArray> rows;
        for (const QVariantList& values : all[i].rows) rows << Row(file, all[i].columns, values);
        const int data = file.NewPage(0x01);
        file.Fill(data, quint32(2 + i), rows);
        QByteArray map(5 + data / 8 + 1, '\0');  // a usage map of type 0 from page 0: only the data page's bit
        map[5 + data / 8] = char(1 << (data % 8));
        mapRows << map;
        file.pages[2 + i] = Definition(file, all[i], PgRow(maps, i));
    }
    file.Fill(maps, 0, mapRows);

    QByteArray& h = file.pages[0];
    h.replace(4, 15, "Standard Jet DB");
    Put(h, 0x14, jet4 ? 1 : 0, 4);
    // From 0x18 the header is stored scrambled under a fixed RC4 key: these are the
    // scrambled forms of the code page and of a database key of 0.
    Put(h, 0x3C, quint32(codePage) ^ 0x427Bu, 2);
    Put(h, 0x3E, 0x4EBC8AFBu, 4);
    return file.pages.join();
}

QList<Table> LibraryTables(const QStringList& categories, const QList<QVariantList>& snippets) {
    Table types{"Types", {{"TypeID", Kind::Long}, {"TypeName", Kind::Text, 50}}};
    for (int i = 0; i < categories.size(); ++i) types.rows << QVariantList{i + 1, categories[i]};
    Table code{"Code", {{"ID", Kind::Long}, {"TypeID", Kind::Long}, {"Name", Kind::Text, 50}}};
    code.columns << Column{"Description", Kind::Text, 100} << Column{"DateAdded", Kind::Date}
                 << Column{"Source", Kind::Text, 100} << Column{"Content", Kind::Memo};
    for (int i = 0; i < snippets.size(); ++i) code.rows << (QVariantList{i + 1} + snippets[i]);
    return {types, code};
}

}  // namespace jetfixture
