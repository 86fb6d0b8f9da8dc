// Saves a part of the screen as a PNG and prints how many colours it holds, so that a test can
// keep what it saw and tell an empty area from one with an icon in it.
// Usage: screenshot X Y WIDTH HEIGHT OUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: screenshot X Y WIDTH HEIGHT OUT.png\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QImage image = QGuiApplication::primaryScreen()
                             ->grabWindow(0, std::atoi(argv[1]), std::atoi(argv[2]),
                                          std::atoi(argv[3]), std::atoi(argv[4]))
                             .toImage();
    if (image.isNull() || !image.save(argv[5])) return 1;
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    std::printf("%lld\n", static_cast<long long>(colours.size()));
    return 0;
}
