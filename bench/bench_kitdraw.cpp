// Colour-transparent tiling of a 64 x 64 picture over a 1024 x 768 surface, next
// to a plain drawImage of the same picture already masked, in one run.
#include "kit/qorutils.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kFrames = 200;

QImage Picture()
{
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixelColor(x, y, (x - 32) * (x - 32) + (y - 32) * (y - 32) < 900 ? QColor(x * 4, y * 4, 128) : QColor(Qt::magenta));
    return image;
}

template <typename Draw>
double MsPerFrame(QImage& surface, Draw draw)
{
    QPainter painter(&surface);
    draw(painter);  // warm-up
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i)
        draw(painter);
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / kFrames;
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const QImage picture = Picture();
    QImage premasked = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (picture.pixelColor(x, y) == QColor(Qt::magenta))
                premasked.setPixel(x, y, 0);
    QImage surface(1024, 768, QImage::Format_RGB32);
    surface.fill(Qt::white);

    const double kit = MsPerFrame(surface, [&](QPainter& painter) {
        StretchDrawBitmap(painter, { 0, 0, 1024, 768 }, &picture, nullptr, clFuchsia, dbTile | dbTransparentColor, { 0, 0, 64, 64 });
    });
    const double plain = MsPerFrame(surface, [&](QPainter& painter) {
        for (int y = 0; y < 768; y += 64)
            for (int x = 0; x < 1024; x += 64)
                painter.drawImage(x, y, premasked);
    });
    std::printf("StretchDrawBitmap: %.3f ms per frame\n", kit);
    std::printf("drawImage: %.3f ms per frame\n", plain);
    return 0;
}
