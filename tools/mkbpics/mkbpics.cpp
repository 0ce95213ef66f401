// Draws the application's pictures into a folder:
//
//   mkbpics <output folder>
//
// splash.jpg, logo.png, treebg.png, treeimg0.png .. treeimg3.png, icon16.png, icon32.png,
// icon48.png, each also at twice the size as name@2x, for the desktop's icon theme icon64.png,
// icon128.png, icon256.png and the scalable icon.svg, and for the Windows program's icon file
// icon24.png and for its installer installer.bmp. Exits non-zero, naming the file, when one
// cannot be written.
#include "art.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSvgGenerator>

#include <cstdio>
#include <cstdlib>

namespace {

bool Save(const QImage& image, const QDir& dir, const QString& name, const char* format,
          int quality = -1) {
    QImageWriter writer(dir.filePath(name), format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (writer.write(image))
        return true;
    std::fprintf(stderr, "mkbpics: cannot write %s: %s\n", qPrintable(dir.filePath(name)),
                 qPrintable(writer.errorString()));
    return false;
}

// The generator reports no errors of its own, so an empty or missing file is the failure.
bool SaveScalableIcon(const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile::remove(path);
    {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(QSize(48, 48));
        svg.setViewBox(QRect(0, 0, 48, 48));
        svg.setTitle(QString::fromUtf8("МКБ-10"));
        QPainter p;
        if (p.begin(&svg)) {
            art::PaintAppIcon(p, 48);
            p.end();
        }
    }
    if (QFileInfo(path).size() > 0)
        return true;
    std::fprintf(stderr, "mkbpics: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkbpics <output folder>\n");
        return 2;
    }
    // Fonts need a GUI application, though nothing is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "mkbpics: cannot create %s\n", argv[1]);
        return 1;
    }

    bool ok = true;
    // Each picture the program shows at 1x and, for high-density screens, at 2x ("@2x").
    for (int scale : {1, 2}) {
        const QString at = scale == 1 ? QString() : QStringLiteral("@2x");
        // Converted to plain RGB so that the JPEG is a three-component YCbCr picture.
        ok &= Save(art::DrawSplash(scale).convertToFormat(QImage::Format_RGB888), dir,
                   "splash" + at + ".jpg", "jpg", 92);
        ok &= Save(art::DrawLogo(scale), dir, "logo" + at + ".png", "png");
        ok &= Save(art::DrawTreeBackground(scale), dir, "treebg" + at + ".png", "png");
        for (int i = 0; i < 4; ++i)
            ok &= Save(art::DrawTreeImage(i, scale), dir, QString("treeimg%1%2.png").arg(i).arg(at),
                       "png");
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        ok &= Save(art::DrawAppIcon(size), dir, QString("icon%1.png").arg(size), "png");
    for (int size : {16, 32, 48})
        ok &= Save(art::DrawAppIcon(2 * size), dir, QString("icon%1@2x.png").arg(size), "png");
    ok &= SaveScalableIcon(dir, "icon.svg");
    // The installer shows it at its size, a 24-bit Windows bitmap.
    ok &= Save(art::DrawInstallerPanel().convertToFormat(QImage::Format_RGB888), dir,
               "installer.bmp", "bmp");
    return ok ? 0 : 1;
}
