#include "Pictolib.h"

#include "TestSupport.h"

#include <QImage>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace kv {
namespace {

constexpr QRgb kKey = PictolibKeyColor;

QImage Sentinel() {
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    image.setPixel(4, 2, qRgb(9, 8, 7));
    return image;
}

QImage Cell(const QImage& strip, int index) {
    return strip.copy(index * strip.height(), 0, strip.height(), strip.height());
}

bool HasDrawnPixel(const QImage& cell) {
    for (int y = 0; y < cell.height(); ++y) {
        for (int x = 0; x < cell.width(); ++x) {
            if (cell.pixel(x, y) != kKey) return true;
        }
    }
    return false;
}

bool AllDrawnPixelsGrey(const QImage& cell) {
    for (int y = 0; y < cell.height(); ++y) {
        for (int x = 0; x < cell.width(); ++x) {
            const QRgb c = cell.pixel(x, y);
            if (c != kKey && !(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c))) return false;
        }
    }
    return true;
}

// The glyphs the forms and components ask for, with the cells each must have.
struct UsedGlyph {
    int number;
    const char* what;
    int cells;
};
constexpr UsedGlyph kUsedGlyphs[] = {
    {4, "clear list", 2}, {8, "lookup", 1},      {9, "date", 1},          {39, "user", 1},
    {47, "delete", 1},    {78, "department", 1}, {81, "footer and sign-off", 1},
};

TEST(PictolibTest, UsedGlyphsAreSquareCellStripsWithTheKeyColourBottomLeft) {
    for (const UsedGlyph& g : kUsedGlyphs) {
        SCOPED_TRACE(std::string(g.what) + " glyph " + std::to_string(g.number));
        QImage strip = Sentinel();
        ASSERT_TRUE(LoadBmp(strip, g.number));
        ASSERT_GT(strip.height(), 0);
        EXPECT_FALSE(strip.hasAlphaChannel());
        EXPECT_EQ(strip.width() % strip.height(), 0);
        EXPECT_EQ(strip.width() / strip.height(), g.cells);
        EXPECT_EQ(strip.pixel(0, strip.height() - 1), kKey);
        for (int c = 0; c < strip.width() / strip.height(); ++c) {
            EXPECT_TRUE(HasDrawnPixel(Cell(strip, c))) << "cell " << c << " is empty";
        }
    }
}

TEST(PictolibTest, ClearListSecondCellIsAGreyVariantOfTheFirst) {
    QImage strip;
    ASSERT_TRUE(LoadBmp(strip, 4));
    ASSERT_EQ(strip.width(), 2 * strip.height());
    const QImage normal = Cell(strip, 0), disabled = Cell(strip, 1);
    EXPECT_NE(normal, disabled);
    EXPECT_FALSE(AllDrawnPixelsGrey(normal));
    EXPECT_TRUE(AllDrawnPixelsGrey(disabled));
}

TEST(PictolibTest, MaximumIsAboveTheUsedNumbersAndHoldsAGlyph) {
    const int max = GetMaxBmpID();
    for (const UsedGlyph& g : kUsedGlyphs) EXPECT_LE(g.number, max);
    QImage strip;
    EXPECT_TRUE(LoadBmp(strip, max));
    EXPECT_FALSE(strip.isNull());
}

// Every number up to the maximum either loads a well-formed strip of the common
// cell size or fails and leaves the image alone; some numbers have no glyph.
TEST(PictolibTest, EveryNumberUpToTheMaximumLoadsAWellFormedStripOrNothing) {
    const int max = GetMaxBmpID();
    ASSERT_GT(max, 0);
    int cellSize = 0, gaps = 0;
    for (int n = 1; n <= max; ++n) {
        SCOPED_TRACE("glyph " + std::to_string(n));
        QImage image = Sentinel();
        if (!LoadBmp(image, n)) {
            ++gaps;
            EXPECT_EQ(image, Sentinel());
            continue;
        }
        if (cellSize == 0) cellSize = image.height();
        EXPECT_EQ(image.height(), cellSize);
        EXPECT_EQ(image.width() % cellSize, 0);
        EXPECT_EQ(image.pixel(0, image.height() - 1), kKey);
        EXPECT_TRUE(HasDrawnPixel(Cell(image, 0)));
    }
    EXPECT_GT(gaps, 0);
}

TEST(PictolibTest, DifferentNumbersGiveDifferentPictures) {
    std::vector<std::pair<int, QImage>> loaded;
    for (int n = 1; n <= GetMaxBmpID(); ++n) {
        QImage image;
        if (LoadBmp(image, n)) loaded.emplace_back(n, image);
    }
    for (size_t i = 0; i < loaded.size(); ++i) {
        for (size_t j = i + 1; j < loaded.size(); ++j) {
            EXPECT_NE(loaded[i].second, loaded[j].second)
                << "glyphs " << loaded[i].first << " and " << loaded[j].first << " are the same picture";
        }
    }
}

TEST(PictolibTest, NumbersOutsideTheLibraryFailAndLeaveTheImageUntouched) {
    const int max = GetMaxBmpID();
    for (int n : {0, -1, -4, INT_MIN, max + 1, max + 1000, INT_MAX}) {
        SCOPED_TRACE("glyph " + std::to_string(n));
        QImage image = Sentinel();
        EXPECT_FALSE(LoadBmp(image, n));
        EXPECT_EQ(image, Sentinel());
        QImage empty;
        EXPECT_FALSE(LoadBmp(empty, n));
        EXPECT_TRUE(empty.isNull());
    }
}

// A host imports the two entries by their plain names, and sees nothing else.
TEST(PictolibTest, LibraryExportsItsEntriesByName) {
    const std::string path = test::BinDir() + "/Pictolib.so";
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    EXPECT_EQ(dlsym(handle, "GetMaxBmpID"), reinterpret_cast<void*>(&GetMaxBmpID));
    EXPECT_EQ(dlsym(handle, "LoadBmp"), reinterpret_cast<void*>(&LoadBmp));
    EXPECT_EQ(dlsym(handle, "_ZN2kv8pictolib14GlyphCatalogueEv"), nullptr);
    dlclose(handle);
}

}  // namespace
}  // namespace kv
