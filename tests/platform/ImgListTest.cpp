// Image lists: strips cut into cells, masks and transparent colours, change
// notification, disabled drawing.
#include <QImage>
#include <QPainter>
#include <QVariant>

#include <gtest/gtest.h>

#include "platform/ImgList.h"

namespace kv {
namespace {

QImage Solid(int w, int h, QColor c) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

TEST(ImageList, StripIsCutIntoCellsAndEachCellKeepsItsPixels) {
    TImageList list(nullptr);
    EXPECT_EQ(list.Width(), 16);
    EXPECT_EQ(list.Height(), 16);
    QImage strip = Solid(48, 16, Qt::red);
    QPainter(&strip).fillRect(16, 0, 16, 16, Qt::green);
    QPainter(&strip).fillRect(32, 0, 16, 16, Qt::blue);
    EXPECT_EQ(list.Add(strip), 0);
    EXPECT_EQ(list.Add(Solid(16, 16, Qt::yellow)), 3);
    ASSERT_EQ(list.Count(), 4);
    const QColor expected[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int i = 0; i < 4; ++i) {
        const QImage cell = list.Image(i);
        EXPECT_EQ(cell.size(), QSize(16, 16));
        EXPECT_EQ(cell.pixelColor(8, 8), expected[i]) << i;
    }
    EXPECT_TRUE(list.Pixmap(4).isNull());
    EXPECT_TRUE(list.Pixmap(-1).isNull());
    EXPECT_EQ(list.Add(QImage()), -1);
    EXPECT_EQ(list.Count(), 4);
}

TEST(ImageList, MaskAndTransparentColourMakePixelsTransparent) {
    TImageList list(nullptr);
    QImage image = Solid(16, 16, Qt::red);
    image.setPixelColor(0, 15, Qt::magenta);
    image.setPixelColor(5, 5, Qt::magenta);
    // Transparent colour taken from the bottom-left pixel.
    list.AddMasked(image, clDefault);
    EXPECT_EQ(list.Image(0).pixelColor(5, 5).alpha(), 0);
    EXPECT_EQ(list.Image(0).pixelColor(6, 5), QColor(Qt::red));
    // An explicit colour.
    list.AddMasked(image, clRed);
    EXPECT_EQ(list.Image(1).pixelColor(6, 5).alpha(), 0);
    EXPECT_EQ(list.Image(1).pixelColor(5, 5).alpha(), 255);
    // A monochrome mask: white is transparent.
    QImage mask(16, 16, QImage::Format_Mono);
    mask.fill(0);
    mask.setColor(0, qRgb(0, 0, 0));
    mask.setColor(1, qRgb(255, 255, 255));
    mask.setPixel(3, 4, 1);
    list.Add(image, mask);
    EXPECT_EQ(list.Image(2).pixelColor(3, 4).alpha(), 0);
    EXPECT_EQ(list.Image(2).pixelColor(4, 4), QColor(Qt::red));
}

TEST(ImageList, ChangesAreNotifiedAndResizingEmpties) {
    TImageList list(nullptr);
    int notices = 0;
    int events = 0;
    QObject::connect(&list, &TCustomImageList::Changed, [&] { ++notices; });
    list.OnChange = [&](TObject* sender) { events += sender == &list ? 1 : 100; };
    list.Add(Solid(32, 16, Qt::red));
    EXPECT_EQ(notices, 1);
    list.BeginUpdate();
    list.Add(Solid(16, 16, Qt::red));
    list.Delete(0);
    list.Move(0, 1);
    list.EndUpdate();
    EXPECT_EQ(notices, 2);
    EXPECT_EQ(events, 2);
    EXPECT_THROW(list.Delete(7), std::out_of_range);
    list.setProperty("Width", 24);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.property("Count").toInt(), 0);
    EXPECT_THROW(list.SetHeight(0), std::invalid_argument);
    EXPECT_EQ(list.Height(), 16);
}

TEST(ImageList, DrawPutsTheImageAtItsPlaceAndGreysItWhenDisabled) {
    TImageList list(nullptr);
    list.Add(Solid(16, 16, Qt::red));
    QImage canvas = Solid(40, 20, Qt::white);
    {
        QPainter p(&canvas);
        list.Draw(p, 2, 2, 0, true);
        list.Draw(p, 20, 2, 0, false);
        list.Draw(p, 0, 0, 5, true);  // out of range: nothing
    }
    EXPECT_EQ(canvas.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(10, 10), QColor(Qt::red));
    const QColor disabled = canvas.pixelColor(28, 10);
    EXPECT_NE(disabled, QColor(Qt::red));
    EXPECT_EQ(disabled.red(), disabled.green());
    EXPECT_EQ(disabled.green(), disabled.blue());
}

}  // namespace
}  // namespace kv
