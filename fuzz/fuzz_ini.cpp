// Settings files: any bytes load; values read back cut at 255 characters; a key
// set and saved reads back, and every other line of the file stays as it was.
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "settings/inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = (new QTemporaryDir())->filePath("fuzz.ini");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) std::abort();
    }
    settings::IniFile ini(path);
    for (const char* key : {"DB", "Tab", "FontName", "Top"}) {
        const auto v = ini.Value("Snippary", QString::fromLatin1(key));
        if (v && v->size() > 255) std::abort();
        if (v) (void)settings::ReadNumber(*v, true);
    }
    (void)settings::ReadNumber(QString::fromUtf8(bytes.left(64)), false);
    ini.SetValue("Snippary", "Width", "1234");
    if (!ini.Save()) return 0;
    settings::IniFile back(path);
    if (back.Value("Snippary", "Width") != QStringLiteral("1234")) std::abort();
    return 0;
}
