// Writes the program icon as PNG files (one per size) for the desktop's icon theme: the same
// drawing the windows use, so installed launchers and open windows look alike. Run at build
// time by CMake.
#include <QDir>
#include <QGuiApplication>
#include <QIcon>

#include "skin/ui/SkinArt.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QIcon icon = SkinArt::ProgramIcon();
    for (int side : {16, 32, 48, 64, 128, 256}) {
        const QString dir = QDir(folder).filePath(QStringLiteral("%1x%1/apps").arg(side));
        QDir().mkpath(dir);
        if (!icon.pixmap(side, side)
                 .save(QDir(dir).filePath(QStringLiteral("vimbrelcastor.png")))) {
            return 1;
        }
    }
    return 0;
}
