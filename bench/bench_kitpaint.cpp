// Paint cost of the kit's panels against a plain fill of the same area.
#include "kit-extra/qorctrl.h"
#include "kit/qorcont.h"
#include "kit/qorlistitem.h"

#include <QApplication>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int kRounds = 10000;

double MicrosecondsPer(const std::function<void()>& paint)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i)
        paint();
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / kRounds;
}

double FillRectMicroseconds(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    return MicrosecondsPer([&] {
        QPainter painter(&image);
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::gray);
    });
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    QImage picture(200, 100, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x, y, (x + y) & 0xFF));
    TQORBitmapList list;
    list.AddItem();
    list.Bitmaps(0)->SetBitmap(picture);

    TQORBackPanel back;
    back.resize(200, 100);
    back.Bevel().SetStyleOuter(bvRaised);
    back.SetImageList(&list);
    TQORSimplePanel children[4] { TQORSimplePanel(&back), TQORSimplePanel(&back), TQORSimplePanel(&back),
                                  TQORSimplePanel(&back) };
    for (int i = 0; i < 4; ++i) {
        children[i].setGeometry(10 + i * 45, 30, 40, 40);
        children[i].SetTransparent(true);
        children[i].Bevel().SetStyleOuter(bvLowered);
    }

    QImage target(back.size(), QImage::Format_RGB32);
    const double panel = MicrosecondsPer([&] { back.render(&target); });
    std::printf("backpanel up: %.2f us per paint (fillRect: %.2f us)\n", panel, FillRectMicroseconds(back.size()));
    return 0;
}
