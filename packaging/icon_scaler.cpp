// Scales the editor's icon to the sizes of the icon theme:
//   vorl_icon_scaler SOURCE.png OUTPUT_FOLDER NAME SIZE...
// writes OUTPUT_FOLDER/<SIZE>x<SIZE>/apps/NAME.png for every size.
#include <QDir>
#include <QImage>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: vorl_icon_scaler SOURCE.png OUTPUT_FOLDER NAME SIZE...\n");
        return 64;
    }
    QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "vorl_icon_scaler: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int i = 4; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString folder = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        QImage scaled = source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (!QDir().mkpath(folder) || !scaled.save(folder + "/" + QString::fromLocal8Bit(argv[3]) + ".png", "PNG")) {
            std::fprintf(stderr, "vorl_icon_scaler: cannot write the %dx%d icon\n", size, size);
            return 1;
        }
    }
    return 0;
}
