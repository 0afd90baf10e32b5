#include "about/icon.h"

namespace about {

namespace {
constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

QString BuiltIn(int px) { return QStringLiteral(":/icons/snippary-%1.png").arg(px); }
}  // namespace

QIcon ProgramIcon() {
    QIcon builtIn;
    for (int px : kSizes) builtIn.addFile(BuiltIn(px), QSize(px, px));
    return QIcon::fromTheme(QStringLiteral("snippary"), builtIn);
}

QImage ProgramImage(int px) {
    for (int size : kSizes)
        if (size == px) return QImage(BuiltIn(px));
    return QImage(BuiltIn(256)).scaled(px, px, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace about
