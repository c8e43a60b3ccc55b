#include "kit-extra/qorctrl.h"
#include "kit-extra/tests/rgb.h"

#include "kit/qorcont.h"
#include "kit/qorlistitem.h"
#include "screenshot.h"

#include <QPainter>

#include <memory>
#include <vector>
#include <gtest/gtest.h>

namespace {

// Each pixel of the picture is told apart by its position.
QImage Picture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x, y, (x * 7 + y * 3) & 0xFF));
    return image;
}

QImage Render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

struct Scene {
    TQORBitmapList list;
    TQORBackPanel back;
    Scene()
    {
        list.AddItem();
        list.Bitmaps(0)->SetBitmap(Picture(200, 100));
        back.resize(200, 100);
        back.Bevel().SetStyleOuter(bvRaised);
        back.Bevel().SetWidthOuter(2);
        back.SetImageList(&list);
    }
};

}  // namespace

TEST(BackPanel, ShowsItsImageWithTheBevelPaintedOver)
{
    Scene scene;
    ASSERT_TRUE(scene.back.ShowsImage());
    const QImage image = Render(scene.back);
    EXPECT_EQ(image.pixel(50, 50), qRgb(50, 50, (50 * 7 + 50 * 3) & 0xFF));
    EXPECT_EQ(image.pixel(50, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(50, 99), Rgb(clBtnShadow));
    SaveKitScreenshot(image, "backpanel-image-up");
}

TEST(BackPanel, ImageOutOfRangeLeavesAnEmptyPanel)
{
    Scene scene;
    scene.back.SetListIndex(3);
    EXPECT_FALSE(scene.back.ShowsImage());
    EXPECT_EQ(scene.back.BackBitmap(), nullptr);
    const QImage image = Render(scene.back);
    EXPECT_EQ(image.pixel(50, 50), Rgb(clBtnFace));
    EXPECT_EQ(image.pixel(50, 0), Rgb(clBtnHighlight));
    SaveKitScreenshot(image, "backpanel-empty-up");
}

TEST(BackPanel, NegativeImageIndexIsIgnored)
{
    Scene scene;
    scene.back.SetImageIndex(-1);
    EXPECT_EQ(scene.back.ImageIndex(), 0);
    EXPECT_TRUE(scene.back.ShowsImage());
}

TEST(SimplePanel, SeeThroughChildShowsTheBackImageAtItsOwnPlaceBevelIncluded)
{
    Scene scene;
    TQORSimplePanel corner(&scene.back);
    corner.setGeometry(0, 0, 40, 30);
    corner.SetTransparent(true);
    TQORSimplePanel inside(&scene.back);
    inside.setGeometry(60, 20, 50, 40);
    inside.SetTransparent(true);
    inside.Bevel().SetStyleOuter(bvLowered);

    const QImage c = Render(corner);
    EXPECT_EQ(c.pixel(10, 0), Rgb(clBtnHighlight));  // the back panel's bevel
    EXPECT_EQ(c.pixel(10, 10), qRgb(10, 10, (10 * 7 + 10 * 3) & 0xFF));
    const QImage i = Render(inside);
    EXPECT_EQ(i.pixel(5, 5), qRgb(65, 25, (65 * 7 + 25 * 3) & 0xFF));
    EXPECT_EQ(i.pixel(5, 0), Rgb(clBtnShadow));  // its own bevel over the image
    SaveKitScreenshot(i, "simplepanel-seethrough-up");
    SaveKitScreenshot(Render(scene.back), "backpanel-seethroughchildren-up");
}

TEST(SimplePanel, SeeThroughGrandchildAddsTheOffsets)
{
    Scene scene;
    TQORSimplePanel child(&scene.back);
    child.setGeometry(30, 10, 100, 60);
    child.SetTransparent(true);
    TQORSimplePanel grandchild(&child);
    grandchild.setGeometry(5, 7, 20, 20);
    grandchild.SetTransparent(true);
    EXPECT_EQ(Render(grandchild).pixel(1, 1), qRgb(36, 18, (36 * 7 + 18 * 3) & 0xFF));
}

TEST(SimplePanel, OpaqueChildFillsWithItsColour)
{
    Scene scene;
    TQORSimplePanel child(&scene.back);
    child.setGeometry(60, 20, 50, 40);
    child.SetColor(clTeal);
    child.Bevel().SetMode(bmStandard);
    const QImage image = Render(child);
    EXPECT_EQ(image.pixel(20, 20), Rgb(clTeal));
    EXPECT_EQ(image.pixel(20, 0), Rgb(clBtnShadow));
    SaveKitScreenshot(image, "simplepanel-opaque-up");
}

TEST(SimplePanel, SeeThroughWithoutBackgroundBehavesOpaque)
{
    TQORSimplePanel parent;
    parent.resize(100, 50);
    TQORSimplePanel child(&parent);
    child.setGeometry(10, 10, 30, 30);
    child.SetTransparent(true);
    EXPECT_FALSE(child.SeeThrough());
    EXPECT_EQ(Render(child).pixel(15, 15), Rgb(clBtnFace));
}

TEST(BevelPanel, ChildrenAreAlignedInsideTheBevel)
{
    TQORSimplePanel panel;
    panel.resize(100, 50);
    panel.Bevel().SetStyleOuter(bvFrameRaised);
    panel.Bevel().SetWidthOuter(2);
    EXPECT_EQ(panel.AlignRect(), QRect(3, 3, 94, 44));
    EXPECT_EQ(panel.contentsRect(), QRect(3, 3, 94, 44));
}

TEST(BevelPanel, SettingTheBevelCopiesIt)
{
    TQORBevel bevel;
    bevel.SetMode(bmEdge);
    TQORSimplePanel panel;
    panel.SetBevel(bevel);
    bevel.SetMode(bmCustom);
    EXPECT_EQ(panel.Bevel().Mode(), bmEdge);
    EXPECT_EQ(panel.Bevel().TotalWidth(), 2);
}

TEST(BaseControl, SetBoundsReportsMovesAndSizes)
{
    TQORBaseControl control;
    control.setGeometry(0, 0, 10, 10);
    std::vector<int> flags;
    control.OnBoundsChange = [&](TQORBaseControl*, int f) { flags.push_back(f); };
    control.SetBounds(5, 0, 10, 10);
    control.SetBounds(5, 0, 20, 10);
    control.SetBounds(1, 1, 2, 2);
    control.SetBounds(1, 1, 2, 2);
    EXPECT_EQ(flags, (std::vector<int> { kBoundsMoved, kBoundsSized, kBoundsMoved | kBoundsSized }));
}

TEST(BaseControl, FollowsItsImageListAndForgetsADestroyedOne)
{
    auto list = std::make_unique<TQORBitmapList>();
    TQORBaseControl control;
    control.SetImageList(list.get());
    control.SetImageIndex(-1);
    EXPECT_EQ(control.ImageIndex(), 0);
    list.reset();
    EXPECT_EQ(control.ImageList(), nullptr);
}

TEST(BackPanel, RepaintsItsImageWhenTheListChanges)
{
    Scene scene;
    scene.list.Bitmaps(0)->SetBitmap(Picture(200, 100).mirrored(true, false));
    const QImage image = Render(scene.back);
    EXPECT_EQ(image.pixel(50, 50), qRgb(149, 50, (149 * 7 + 50 * 3) & 0xFF));
}

TEST(BackPanel, DestroyedListLeavesAnEmptyPanel)
{
    auto list = std::make_unique<TQORBitmapList>();
    list->AddItem();
    list->Bitmaps(0)->SetBitmap(Picture(50, 50));
    TQORBackPanel back;
    back.resize(50, 50);
    back.SetImageList(list.get());
    ASSERT_TRUE(back.ShowsImage());
    list.reset();
    EXPECT_EQ(back.ImageList(), nullptr);
    EXPECT_FALSE(back.ShowsImage());
}

TEST(BaseControl, TheContainersListsAreStoredByNameAndOthersAsALink)
{
    QORCreateContainer();
    TQORBitmapList own;
    TQORBaseControl control;
    control.SetImageList(&QORContainer()->BitmapList());
    EXPECT_TRUE(control.IsStdImageList());
    EXPECT_FALSE(control.ImageListStored());
    EXPECT_EQ(control.WriteInternal(), "QORBML30");
    control.SetImageList(&own);
    EXPECT_FALSE(control.IsStdImageList());
    EXPECT_TRUE(control.ImageListStored());
    EXPECT_EQ(control.WriteInternal(), "");
    control.ReadInternal("QORIML30");
    EXPECT_EQ(control.ImageList(), &QORContainer()->ImageList());
    control.ReadInternal("QORWVL30");
    EXPECT_EQ(control.ImageList(), nullptr);
    QORFreeContainer();
}

TEST(BackPanel, ReadingTheInternalNameShowsTheContainersImage)
{
    QORCreateContainer();
    {
        TQORBitmapList& list = QORContainer()->BitmapList();
        list.AddItem();
        list.Bitmaps(0)->SetBitmap(Picture(60, 40));
        TQORBackPanel panel;
        panel.resize(60, 40);
        panel.ReadInternal("QORBML30");
        EXPECT_TRUE(panel.ShowsImage());
        EXPECT_EQ(panel.WriteInternal(), "QORBML30");
        EXPECT_EQ(Render(panel).pixel(30, 20), Picture(60, 40).pixel(30, 20));
        panel.ReadInternal("anything else");
        EXPECT_FALSE(panel.ShowsImage());
    }
    QORFreeContainer();
}

TEST(BackPanel, TextFreeSceneMatchesItsStoredPicture)
{
    Scene scene;
    const TQORBevelStyle styles[] = { bvLowered, bvRaised, bvFrameLowered, bvNone };
    std::vector<std::unique_ptr<TQORSimplePanel>> children;
    for (int i = 0; i < 4; ++i) {
        children.push_back(std::make_unique<TQORSimplePanel>(&scene.back));
        children.back()->setGeometry(10 + i * 45, 30, 40, 40);
        children.back()->SetTransparent(i != 3);
        children.back()->SetColor(clTeal);
        children.back()->Bevel().SetStyleOuter(styles[i]);
        children.back()->Bevel().SetWidthOuter(2);
    }
    ExpectStoredPicture(Render(scene.back), "backpanel-fourchildren-up");
}
