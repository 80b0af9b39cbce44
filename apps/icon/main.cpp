#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "skin/app_icon.h"

// Writes the icon into an icon theme tree: OUT_DIR/<N>x<N>/apps/<name>.png for each size.
int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: kestra-icon OUT_DIR SIZE...\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "kestra-icon: a size is 16-1024 pixels, not '%s'\n", argv[i]);
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(folder, kestra::skin::AppIcon::kName);
        if (!QDir().mkpath(folder) || !kestra::skin::AppIcon::image(size).save(file, "PNG")) {
            std::fprintf(stderr, "kestra-icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
