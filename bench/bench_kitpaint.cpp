// Paint cost of the kit's buttons and panels against a plain fill of the same area.
#include "kit-extra/qorctrl.h"
#include "kit-extra/qorspeedbutton.h"
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

    TQORCustomSpeedButton button;
    button.SetColor(clBtnFace);
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(qRgb(255, 0, 255));
    for (int i = 2; i < 14; ++i)
        glyph.setPixel(i, i, qRgb(0, 0, 128));
    button.Glyph().SetBitmap(glyph);
    const struct {
        int state;
        const char* name;
    } states[] = { { 0, "up" },      { 1, "disabled" }, { 2, "hot" },  { 3, "latched" },
                   { 4, "held" },    { 6, "menu" },     { 7, "disabled-latched" } };
    QImage face(button.size(), QImage::Format_RGB32);
    const double buttonFill = FillRectMicroseconds(button.size());
    for (const auto& s : states) {
        button.SetState(s.state);
        const double paint = MicrosecondsPer([&] { button.Paint(face); });
        std::printf("speedbutton %s: %.2f us per paint (fillRect: %.2f us)\n", s.name, paint, buttonFill);
    }

    // A see-through explorer button over the back panel's picture.
    TQORExplorerButton explorer(&back);
    explorer.move(70, 30);
    explorer.Glyph().SetBitmap(glyph);
    QImage explorerFace(explorer.size(), QImage::Format_RGB32);
    const double explorerFill = FillRectMicroseconds(explorer.size());
    for (const auto& s : states) {
        explorer.SetState(s.state);
        const double paint = MicrosecondsPer([&] { explorer.Paint(explorerFace); });
        std::printf("explorerbutton %s: %.2f us per paint (fillRect: %.2f us)\n", s.name, paint, explorerFill);
    }
    explorer.hide();

    // An image-face button: one face for the up looks, another for the down looks.
    QImage upFace(25, 25, QImage::Format_RGB32);
    upFace.fill(qRgb(255, 255, 255));
    QImage downFace = upFace;
    for (int y = 3; y < 22; ++y)
        for (int x = 3; x < 22; ++x) {
            upFace.setPixel(x, y, qRgb(0, 0, 160));
            downFace.setPixel(x, y, qRgb(160, 0, 0));
        }
    TQORBitmapList faces;
    faces.AddItem();
    faces.AddItem();
    faces.Bitmaps(0)->SetBitmap(upFace);
    faces.Bitmaps(1)->SetBitmap(downFace);
    TQORCustomMMButton mm;
    mm.SetButtonFaceImageList(&faces);
    mm.FaceEntries[4] = { 1, 0 };
    QImage mmFace(mm.size(), QImage::Format_RGB32);
    for (const auto& s : states) {
        mm.SetState(s.state);
        const double paint = MicrosecondsPer([&] { mm.Paint(mmFace); });
        std::printf("mmbutton %s: %.2f us per paint (fillRect: %.2f us)\n", s.name, paint, buttonFill);
    }

    QImage target(back.size(), QImage::Format_RGB32);
    // What the paint events do: each control paints its face and the window gets it.
    QImage childFace(children[0].size(), QImage::Format_RGB32);
    const double panel = MicrosecondsPer([&] {
        back.Paint(target);
        QPainter painter(&target);
        for (auto& child : children) {
            child.Paint(childFace);
            painter.drawImage(child.pos(), childFace);
        }
    });
    std::printf("backpanel up: %.2f us per paint (fillRect: %.2f us)\n", panel, FillRectMicroseconds(back.size()));
    return 0;
}
