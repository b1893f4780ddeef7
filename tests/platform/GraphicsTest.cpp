// Bitmaps and canvases: pixels, transparent colours, pixel formats, the classic
// drawing rules, masked painting, files, and the greyed ("disabled") glyph built
// from these operations.
#include <QFile>
#include <QImage>
#include <QMetaProperty>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/Graphics.h"

namespace kv {
namespace {

struct PixelExpectation {
    int X, Y;
    TColor Color;
};

void ExpectPixels(const TBitmap& bitmap, const std::vector<PixelExpectation>& pixels, const char* name) {
    for (const PixelExpectation& p : pixels)
        EXPECT_EQ(bitmap.Pixels(p.X, p.Y), p.Color) << name << " at (" << p.X << ", " << p.Y << ")";
}

// A bitmap of the given size, every pixel `color`.
void Filled(TBitmap& b, int w, int h, TColor color) {
    b.SetSize(w, h);
    b.Canvas()->Brush()->SetColor(color);
    b.Canvas()->FillRect(Rect(0, 0, w, h));
}

// System colours as a bitmap stores them (RGB).

TEST(Bitmap, NewBitmapsAreEmptyAndGrowWhiteKeepingTheirTopLeft) {
    TBitmap b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Pixels(0, 0), clNone);
    EXPECT_EQ(b.TransparentColor(), clDefault);
    b.SetSize(4, 3);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.Pixels(3, 2), clWhite);
    b.SetPixels(1, 1, clRed);
    b.SetWidth(8);
    EXPECT_EQ(b.Width(), 8);
    EXPECT_EQ(b.Pixels(1, 1), clRed);
    EXPECT_EQ(b.Pixels(7, 2), clWhite);
    EXPECT_EQ(b.Pixels(8, 0), clNone);
    EXPECT_EQ(b.Pixels(-1, 0), clNone);
    b.SetPixels(20, 20, clRed);  // outside: ignored, no crash
    b.SetSize(0, 0);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, TransparentColourIsTheBottomLeftPixelUntilFixed) {
    TBitmap b;
    Filled(b, 3, 3, clOlive);
    b.SetPixels(0, 2, clTeal);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), clTeal);
    b.SetTransparentColor(clRed);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clRed);
    b.SetTransparentColor(clDefault);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), clTeal);
    // Fixing the mode keeps the colour it had.
    b.SetTransparentMode(tmFixed);
    b.SetPixels(0, 2, clBlue);
    EXPECT_EQ(b.TransparentColor(), clTeal);
}

TEST(Bitmap, PixelFormatsConvertThePixels) {
    TBitmap b;
    Filled(b, 3, 1, clBlack);
    b.SetPixels(1, 0, clGray);
    b.SetPixels(2, 0, clNavy);
    b.SetMonochrome(true);
    EXPECT_EQ(b.PixelFormat(), pf1bit);
    // Black stays black, every other colour becomes white.
    ExpectPixels(b, {{0, 0, clBlack}, {1, 0, clWhite}, {2, 0, clWhite}}, "to 1 bit");
    // Drawing on a monochrome bitmap keeps it black and white.
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 1, 1));
    b.SetPixels(1, 0, clBlack);
    ExpectPixels(b, {{0, 0, clWhite}, {1, 0, clBlack}}, "drawn on 1 bit");
    EXPECT_EQ(b.ToQImage().format(), QImage::Format_Mono);

    QImage translucent(2, 1, QImage::Format_ARGB32);
    translucent.setPixel(0, 0, qRgba(10, 20, 30, 0));
    translucent.setPixel(1, 0, qRgba(200, 100, 50, 255));
    b.FromQImage(translucent);
    EXPECT_EQ(b.PixelFormat(), pf32bit);
    EXPECT_EQ(qAlpha(b.Image().pixel(0, 0)), 0);
    // Dropping the alpha keeps the colour (it is not blended with black).
    b.SetPixelFormat(pf24bit);
    EXPECT_EQ(b.Pixels(0, 0), QColorToColor(QColor(10, 20, 30)));
    EXPECT_EQ(qAlpha(b.ToQImage().pixel(0, 0)), 255);
    // Palette formats are kept as 24 bits.
    b.SetPixelFormat(pf8bit);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
}

TEST(Bitmap, MaskMakesTheColourWhiteAndTheRestBlack) {
    TBitmap b;
    Filled(b, 2, 2, clOlive);
    b.SetPixels(1, 0, clRed);
    b.SetPixels(0, 1, clWhite);
    b.Mask(clOlive);
    EXPECT_TRUE(b.Monochrome());
    ExpectPixels(b, {{0, 0, clWhite}, {1, 0, clBlack}, {0, 1, clBlack}, {1, 1, clWhite}}, "mask");
}

TEST(Bitmap, AssignCopiesAndNullEmpties) {
    TBitmap a, b;
    Filled(a, 2, 2, clLime);
    a.SetTransparent(true);
    a.SetTransparentColor(clLime);
    ASSERT_TRUE(b.Assign(&a));
    a.SetPixels(0, 0, clRed);  // the copy is independent
    EXPECT_EQ(b.Pixels(0, 0), clLime);
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    TFont font;
    EXPECT_FALSE(b.Assign(&font));
    EXPECT_TRUE(b.Assign(nullptr));
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, ChangesAreAnnounced) {
    TBitmap b;
    int changes = 0;
    b.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &b);
        ++changes;
    };
    b.SetSize(2, 2);
    EXPECT_GT(changes, 0);
    changes = 0;
    b.Canvas()->Pen()->SetColor(clRed);
    b.Canvas()->MoveTo(0, 0);
    b.Canvas()->LineTo(2, 0);
    EXPECT_GT(changes, 0);
}

TEST(Bitmap, FilesRoundTripAndBadFilesRaise) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TBitmap b;
    Filled(b, 5, 4, clTeal);
    b.SetPixels(2, 1, clRed);
    for (const char* name : {"/g.bmp", "/g.png"}) {
        const QString path = dir.path() + name;
        b.SaveToFile(path);
        TBitmap loaded;
        loaded.LoadFromFile(path);
        EXPECT_EQ(loaded.Width(), 5) << name;
        EXPECT_EQ(loaded.Pixels(2, 1), clRed) << name;
        EXPECT_EQ(loaded.Pixels(0, 0), clTeal) << name;
    }
    b.SetMonochrome(true);
    b.SaveToFile(dir.path() + "/m.bmp");
    TBitmap mono;
    mono.LoadFromFile(dir.path() + "/m.bmp");
    EXPECT_TRUE(mono.Monochrome());

    QFile junk(dir.path() + "/junk.bmp");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("BM not really a bitmap");
    junk.close();
    TBitmap bad;
    EXPECT_THROW(bad.LoadFromFile(junk.fileName()), EInvalidGraphic);
    EXPECT_THROW(bad.LoadFromFile(dir.path() + "/missing.png"), EInvalidGraphic);
    EXPECT_THROW(bad.SaveToFile(dir.path() + "/empty.bmp"), EInvalidGraphic);
}

TEST(Bitmap, PropertiesByName) {
    TBitmap b;
    b.SetSize(2, 2);
    EXPECT_TRUE(b.setProperty("PixelFormat", "pf1bit"));
    EXPECT_TRUE(b.Monochrome());
    EXPECT_TRUE(b.setProperty("TransparentMode", "tmFixed"));
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_TRUE(b.setProperty("Transparent", true));
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.property("Width").toInt(), 2);
    TCanvas* canvas = b.Canvas();
    auto* brush = canvas->property("Brush").value<TBrush*>();
    ASSERT_EQ(brush, canvas->Brush());
    EXPECT_TRUE(brush->setProperty("Style", "bsClear"));
    EXPECT_TRUE(brush->IsClear());
    // A colour makes a clear brush solid again.
    brush->SetColor(clRed);
    EXPECT_EQ(brush->Style(), bsSolid);
}

// ---- canvas operations: a table of drawings and the pixels they must give -------

struct DrawCase {
    const char* Name;
    std::function<void(TBitmap&)> Draw;
    std::vector<PixelExpectation> Pixels;
};

TEST(Canvas, DrawingOperationsFollowTheClassicPixelRules) {
    const std::vector<DrawCase> cases = {
        {"FillRect leaves right and bottom edge out",
         [](TBitmap& b) {
             b.Canvas()->Brush()->SetColor(clRed);
             b.Canvas()->FillRect(Rect(1, 1, 4, 3));
         },
         {{1, 1, clRed}, {3, 2, clRed}, {4, 2, clWhite}, {3, 3, clWhite}, {0, 0, clWhite}}},
        {"clear brush fills nothing",
         [](TBitmap& b) {
             b.Canvas()->Brush()->SetStyle(bsClear);
             b.Canvas()->FillRect(Rect(0, 0, 8, 8));
         },
         {{2, 2, clWhite}}},
        {"FrameRect is one pixel of brush colour",
         [](TBitmap& b) {
             b.Canvas()->Brush()->SetColor(clBlue);
             b.Canvas()->FrameRect(Rect(1, 1, 6, 5));
         },
         {{1, 1, clBlue}, {5, 1, clBlue}, {5, 4, clBlue}, {1, 4, clBlue}, {3, 2, clWhite}, {6, 1, clWhite}}},
        {"Rectangle: pen outline, brush inside, right and bottom exclusive",
         [](TBitmap& b) {
             b.Canvas()->Pen()->SetColor(clBlack);
             b.Canvas()->Brush()->SetColor(clLime);
             b.Canvas()->Rectangle(0, 0, 5, 4);
         },
         {{0, 0, clBlack}, {4, 0, clBlack}, {4, 3, clBlack}, {0, 3, clBlack}, {2, 2, clLime}, {5, 0, clWhite},
          {0, 4, clWhite}}},
        {"LineTo leaves the end point out",
         [](TBitmap& b) {
             b.Canvas()->Pen()->SetColor(clRed);
             b.Canvas()->MoveTo(1, 1);
             b.Canvas()->LineTo(5, 1);
             b.Canvas()->LineTo(5, 4);
         },
         {{1, 1, clRed}, {4, 1, clRed}, {5, 1, clRed}, {5, 3, clRed}, {5, 4, clWhite}, {0, 1, clWhite}}},
        {"diagonal line",
         [](TBitmap& b) {
             b.Canvas()->Pen()->SetColor(clRed);
             b.Canvas()->MoveTo(0, 0);
             b.Canvas()->LineTo(3, 3);
         },
         {{0, 0, clRed}, {1, 1, clRed}, {2, 2, clRed}, {3, 3, clWhite}, {1, 0, clWhite}}},
        {"clear pen draws no line",
         [](TBitmap& b) {
             b.Canvas()->Pen()->SetStyle(psClear);
             b.Canvas()->MoveTo(0, 0);
             b.Canvas()->LineTo(6, 0);
         },
         {{2, 0, clWhite}}},
        {"Polygon is filled",
         [](TBitmap& b) {
             b.Canvas()->Pen()->SetColor(clNavy);
             b.Canvas()->Brush()->SetColor(clYellow);
             b.Canvas()->Polygon(QPolygon({QPoint(0, 0), QPoint(7, 0), QPoint(7, 7), QPoint(0, 7)}));
         },
         {{0, 0, clNavy}, {3, 3, clYellow}}},
        {"Pixels write",
         [](TBitmap& b) { b.Canvas()->SetPixels(6, 6, clPurple); },
         {{6, 6, clPurple}, {5, 6, clWhite}}},
        {"Draw of an opaque bitmap copies every pixel",
         [](TBitmap& b) {
             TBitmap g;
             Filled(g, 2, 2, clOlive);
             g.SetPixels(1, 0, clRed);
             b.Canvas()->Draw(3, 3, &g);
         },
         {{3, 3, clOlive}, {4, 3, clRed}, {3, 4, clOlive}, {5, 5, clWhite}}},
        {"Draw of a transparent bitmap leaves its transparent colour out",
         [](TBitmap& b) {
             TBitmap g;
             Filled(g, 2, 2, clOlive);
             g.SetPixels(1, 0, clRed);
             g.SetTransparent(true);
             b.Canvas()->Draw(3, 3, &g);
         },
         {{3, 3, clWhite}, {4, 3, clRed}, {3, 4, clWhite}}},
        {"Draw with a fixed transparent colour",
         [](TBitmap& b) {
             TBitmap g;
             Filled(g, 2, 1, clOlive);
             g.SetPixels(1, 0, clRed);
             g.SetTransparentColor(clRed);
             g.SetTransparent(true);
             b.Canvas()->Draw(0, 0, &g);
         },
         {{0, 0, clOlive}, {1, 0, clWhite}}},
        {"StretchDraw scales",
         [](TBitmap& b) {
             TBitmap g;
             Filled(g, 1, 1, clRed);
             b.Canvas()->StretchDraw(Rect(2, 2, 6, 6), &g);
         },
         {{2, 2, clRed}, {5, 5, clRed}, {6, 6, clWhite}, {1, 2, clWhite}}},
        {"DrawMaskedBrush paints where the mask is black and keeps the rest",
         [](TBitmap& b) {
             b.Canvas()->Brush()->SetColor(clGreen);
             b.Canvas()->FillRect(Rect(0, 0, 8, 8));
             TBitmap mask;
             Filled(mask, 2, 2, clWhite);
             mask.SetPixels(0, 0, clBlack);
             mask.SetPixels(1, 1, clBlack);
             mask.SetMonochrome(true);
             b.Canvas()->Brush()->SetColor(clRed);
             b.Canvas()->DrawMaskedBrush(1, 1, &mask);
         },
         {{1, 1, clRed}, {2, 2, clRed}, {2, 1, clGreen}, {1, 2, clGreen}, {0, 0, clGreen}}},
        {"BitBlt with the masked-brush code is DrawMaskedBrush",
         [](TBitmap& b) {
             TBitmap mask;
             Filled(mask, 3, 1, clWhite);
             mask.SetPixels(2, 0, clBlack);
             b.Canvas()->Brush()->SetColor(clBlue);
             b.Canvas()->BitBlt(0, 0, 2, 1, &mask, 1, 0, ROP_DSPDxax);
         },
         {{0, 0, clWhite}, {1, 0, clBlue}, {2, 0, clWhite}}},
        {"BrushCopy replaces the colour by the brush",
         [](TBitmap& b) {
             TBitmap g;
             Filled(g, 2, 1, clTeal);
             g.SetPixels(1, 0, clRed);
             b.Canvas()->Brush()->SetColor(clYellow);
             b.Canvas()->BrushCopy(Rect(0, 0, 2, 1), &g, Rect(0, 0, 2, 1), clTeal);
         },
         {{0, 0, clYellow}, {1, 0, clRed}}},
        {"CopyRect with cmSrcAnd and cmSrcInvert",
         [](TBitmap& b) {
             TBitmap src;
             Filled(src, 2, 1, clRed);
             src.SetPixels(1, 0, clWhite);
             b.Canvas()->Brush()->SetColor(clYellow);
             b.Canvas()->FillRect(Rect(0, 0, 8, 1));
             b.Canvas()->SetCopyMode(cmSrcAnd);
             b.Canvas()->CopyRect(Rect(0, 0, 2, 1), src.Canvas(), Rect(0, 0, 2, 1));
             b.Canvas()->SetCopyMode(cmSrcInvert);
             b.Canvas()->CopyRect(Rect(4, 0, 6, 1), src.Canvas(), Rect(0, 0, 2, 1));
         },
         {{0, 0, clRed}, {1, 0, clYellow}, {4, 0, clLime}, {5, 0, clBlue}}},
    };
    for (const DrawCase& c : cases) {
        TBitmap b;
        Filled(b, 8, 8, clWhite);
        b.Canvas()->Brush()->SetColor(clWhite);
        c.Draw(b);
        ExpectPixels(b, c.Pixels, c.Name);
    }
}

TEST(Canvas, TextOutFillsItsCellAndMovesThePen) {
    TBitmap b;
    Filled(b, 60, 20, clWhite);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clYellow);
    c->Font()->SetColor(clBlack);
    const int w = c->TextWidth("Wg");
    ASSERT_GT(w, 0);
    ASSERT_GT(c->TextHeight("Wg"), 0);
    c->TextOut(2, 1, "Wg");
    EXPECT_EQ(c->PenPos(), QPoint(2 + w, 1));
    // The cell's background is the brush; something dark is written inside it.
    EXPECT_EQ(b.Pixels(2, 1), clYellow);
    bool ink = false;
    for (int y = 1; y < 1 + c->TextHeight("Wg"); ++y)
        for (int x = 2; x < 2 + w; ++x) ink = ink || b.Pixels(x, y) != clYellow;
    EXPECT_TRUE(ink);
    EXPECT_EQ(b.Pixels(2 + w + 1, 1), clWhite);
}

TEST(Canvas, DrawsThroughAPainterAndReadsAnImageDevice) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        TCanvas canvas(&painter);
        ASSERT_TRUE(canvas.HandleAllocated());
        canvas.Brush()->SetColor(clRed);
        canvas.FillRect(Rect(0, 0, 2, 2));
        EXPECT_EQ(canvas.Pixels(0, 0), clRed);
        canvas.SetPainter(nullptr);
        EXPECT_FALSE(canvas.HandleAllocated());
        canvas.FillRect(Rect(0, 0, 4, 4));  // detached: draws nothing
    }
    EXPECT_EQ(QColorToColor(QColor(image.pixel(1, 1))), clRed);
    EXPECT_EQ(QColorToColor(QColor(image.pixel(3, 3))), clWhite);
}

TEST(Canvas, Frame3DDrawsTopLeftAndBottomRightAndShrinksTheRect) {
    TBitmap b;
    Filled(b, 6, 5, clWhite);
    QRect r = Rect(0, 0, 6, 5);
    Frame3D(b.Canvas(), r, clRed, clBlue, 1);
    EXPECT_EQ(r, Rect(1, 1, 5, 4));
    ExpectPixels(b,
                 {{0, 0, clRed}, {4, 0, clRed}, {0, 3, clRed}, {5, 0, clBlue}, {5, 4, clBlue}, {0, 4, clBlue},
                  {2, 2, clWhite}},
                 "frame");
}

}  // namespace
}  // namespace kv
