#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <cstdio>

#include "gallery_page.h"

namespace {

// The ratio has to be known before the application object exists.
int scale_from_arguments(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--scale")
            return QByteArray(argv[i + 1]).toInt();
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    int scale = scale_from_arguments(argc, argv);
    if (scale != 1 && scale != 2) {
        std::fprintf(stderr, "kestra-gallery: --scale takes 1 or 2\n");
        return 2;
    }
    if (scale == 2)
        qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Every skinned control in every state."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("screenshot"),
                      QStringLiteral("Render the gallery to a PNG file and exit."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("scale"), QStringLiteral("Device pixel ratio, 1 or 2."),
                      QStringLiteral("N"), QStringLiteral("1")});
    parser.process(app);

    kestra::GalleryPage page;
    if (parser.isSet(QStringLiteral("screenshot"))) {
        QString file = parser.value(QStringLiteral("screenshot"));
        if (!page.grab().save(file, "PNG")) {
            std::fprintf(stderr, "kestra-gallery: cannot write %s\n", qPrintable(file));
            return 1;
        }
        return 0;
    }
    page.show();
    return app.exec();
}
