// Panels, splitters, images and bevels: client areas, drags that resize the
// neighbour within its limits, picture placement, bevel drawing, properties by
// name; and a screenshot of glyph buttons and panels for a look.
#include <QApplication>
#include <QDir>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <vector>

#include "platform/Buttons.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"

namespace kv {
namespace {

TColor Rgb(TColor color) { return QColorToColor(ColorToQColor(color)); }

TColor PixelOf(TControl* control, int x, int y) {
    return QColorToColor(QColor(control->Handle()->grab().toImage().pixel(x, y)));
}

void SendMouse(TControl* control, QEvent::Type type, QPoint pos) {
    QMouseEvent e(type, pos, control->Handle()->mapToGlobal(pos), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control->Handle(), &e);
}

TEST(Panel, AlignedChildrenShareTheAreaInsideBorderAndBevels) {
    struct Case {
        const char* Name;
        TBevelCut Outer, Inner;
        int BevelWidth, BorderWidth;
        TFormBorderStyle Border;
        QRect Child;
    };
    const Case cases[] = {
        {"default: raised outer bevel", bvRaised, bvNone, 1, 0, bsNone, QRect(1, 1, 198, 98)},
        {"no bevels", bvNone, bvNone, 1, 0, bsNone, QRect(0, 0, 200, 100)},
        {"both bevels, 2 wide, border 3", bvRaised, bvLowered, 2, 3, bsNone, QRect(7, 7, 186, 86)},
        {"sunken border", bvNone, bvNone, 1, 0, bsSingle, QRect(2, 2, 196, 96)},
    };
    for (const Case& c : cases) {
        TPanel panel(nullptr);
        panel.SetBounds(0, 0, 200, 100);
        auto* child = new TPanel(&panel);
        child->SetParent(&panel);
        child->SetAlign(alClient);
        panel.SetBevelOuter(c.Outer);
        panel.SetBevelInner(c.Inner);
        panel.SetBevelWidth(c.BevelWidth);
        panel.SetBorderWidth(c.BorderWidth);
        panel.SetBorderStyle(c.Border);
        EXPECT_EQ(child->BoundsRect(), c.Child) << c.Name;
    }
}

TEST(Panel, DefaultsAndBevelColours) {
    TPanel panel(nullptr);
    EXPECT_EQ(panel.Width(), 185);
    EXPECT_EQ(panel.Height(), 41);
    EXPECT_EQ(panel.Alignment(), taCenter);
    EXPECT_EQ(panel.BevelOuter(), bvRaised);
    EXPECT_EQ(panel.BevelInner(), bvNone);
    EXPECT_EQ(panel.Color(), clBtnFace);
    panel.SetBounds(0, 0, 50, 20);
    EXPECT_EQ(PixelOf(&panel, 0, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(PixelOf(&panel, 49, 19), Rgb(clBtnShadow));
    EXPECT_EQ(PixelOf(&panel, 25, 3), Rgb(clBtnFace));
    EXPECT_TRUE(panel.setProperty("BevelOuter", "bvLowered"));
    EXPECT_EQ(PixelOf(&panel, 0, 0), Rgb(clBtnShadow));
    EXPECT_EQ(PixelOf(&panel, 49, 19), Rgb(clBtnHighlight));
    EXPECT_TRUE(panel.setProperty("Caption", QStringLiteral("工资")));
    EXPECT_EQ(panel.Caption(), QStringLiteral("工资"));
}

// A 300 x 100 container: side panel, splitter, and the rest.
class SplitterDrag : public ::testing::Test {
protected:
    void Build(TAlign align) {
        host = new TPanel(nullptr);
        host->SetBevelOuter(bvNone);
        host->SetBounds(0, 0, 300, 100);
        side = new TPanel(host);
        const bool horizontal = align == alLeft || align == alRight;
        side->SetBounds(0, 0, horizontal ? 100 : 300, horizontal ? 100 : 40);
        side->SetParent(host);
        side->SetAlign(align);
        splitter = new TSplitter(host);
        splitter->SetParent(host);
        splitter->SetAlign(align);
        if (!horizontal) splitter->SetHeight(3);
        rest = new TPanel(host);
        rest->SetParent(host);
        rest->SetAlign(alClient);
        splitter->OnMoved = [this](TObject*) { ++moved; };
    }
    void TearDown() override { delete host; }
    int SideSize() const {
        return side->Align() == alLeft || side->Align() == alRight ? side->Width() : side->Height();
    }
    // Drags by `delta` along the splitter's axis.
    void Drag(int delta) {
        const bool horizontal = splitter->Align() == alLeft || splitter->Align() == alRight;
        const QPoint down(1, 1);
        SendMouse(splitter, QEvent::MouseButtonPress, down);
        SendMouse(splitter, QEvent::MouseMove, down + (horizontal ? QPoint(delta, 0) : QPoint(0, delta)));
        SendMouse(splitter, QEvent::MouseButtonRelease, down);
    }
    TPanel* host = nullptr;
    TPanel* side = nullptr;
    TPanel* rest = nullptr;
    TSplitter* splitter = nullptr;
    int moved = 0;
};

TEST_F(SplitterDrag, ResizesTheLeftNeighbourWithinMinSize) {
    Build(alLeft);
    ASSERT_EQ(splitter->Left(), 100);
    ASSERT_EQ(splitter->FindControl(), side);
    struct Step {
        int Delta, Expected;
    };
    // Left side at least 30, the rest at least 30: 300 - 30 - 3 = 267 at most.
    const Step steps[] = {{50, 150}, {-200, 30}, {1000, 267}, {-17, 250}};
    for (const Step& s : steps) {
        Drag(s.Delta);
        EXPECT_EQ(side->Width(), s.Expected) << s.Delta;
        EXPECT_EQ(splitter->Left(), s.Expected);
        EXPECT_EQ(rest->Left(), s.Expected + 3);
        EXPECT_EQ(rest->Width(), 300 - s.Expected - 3);
    }
    EXPECT_EQ(moved, 4);
}

TEST_F(SplitterDrag, RightAndBottomNeighboursGrowAgainstTheDrag) {
    Build(alRight);
    ASSERT_EQ(splitter->FindControl(), side);
    Drag(-20);
    EXPECT_EQ(side->Width(), 120);
    EXPECT_EQ(side->Left(), 180);
    TearDown();
    moved = 0;
    Build(alBottom);
    ASSERT_EQ(splitter->FindControl(), side);
    Drag(-10);
    EXPECT_EQ(side->Height(), 50);
    Drag(100);
    EXPECT_EQ(side->Height(), 30);
    EXPECT_EQ(moved, 2);
}

TEST_F(SplitterDrag, WithoutLiveUpdateTheSizeChangesWhenTheDragEnds) {
    Build(alLeft);
    EXPECT_TRUE(splitter->setProperty("ResizeStyle", "rsNone"));
    SendMouse(splitter, QEvent::MouseButtonPress, {1, 1});
    SendMouse(splitter, QEvent::MouseMove, {41, 1});
    EXPECT_EQ(side->Width(), 100);
    SendMouse(splitter, QEvent::MouseButtonRelease, {41, 1});
    EXPECT_EQ(side->Width(), 140);
}

TEST_F(SplitterDrag, WithNothingBesideItADragChangesNothing) {
    Build(alLeft);
    side->SetVisible(false);
    EXPECT_EQ(splitter->FindControl(), nullptr);
    Drag(40);
    EXPECT_EQ(rest->Width(), 297);
    EXPECT_EQ(moved, 0);
}

TEST(Image, PlacesThePicture) {
    TImage image(nullptr);
    image.SetBounds(0, 0, 40, 30);
    TBitmap picture;
    picture.SetSize(10, 6);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(Rect(0, 0, 10, 6));
    image.Picture()->SetBitmap(&picture);
    struct Case {
        bool Stretch, Center;
        QRect Dest;
    };
    const Case cases[] = {{false, false, QRect(0, 0, 10, 6)},
                          {false, true, QRect(15, 12, 10, 6)},
                          {true, false, QRect(0, 0, 40, 30)},
                          {true, true, QRect(0, 0, 40, 30)}};
    for (const Case& c : cases) {
        image.SetStretch(c.Stretch);
        image.SetCenter(c.Center);
        EXPECT_EQ(image.DestRect(), c.Dest) << c.Stretch << c.Center;
    }
    image.SetStretch(false);
    image.SetCenter(true);
    EXPECT_EQ(PixelOf(&image, 20, 15), clRed);
    image.SetAutoSize(true);
    EXPECT_EQ(image.Width(), 10);
    EXPECT_EQ(image.Height(), 6);
    EXPECT_TRUE(image.setProperty("Transparent", true));
    EXPECT_TRUE(image.Picture()->Bitmap()->Transparent());
    // The canvas draws into the picture.
    image.Canvas()->SetPixels(0, 0, clBlue);
    EXPECT_EQ(image.Picture()->Bitmap()->Pixels(0, 0), clBlue);
}

TEST(Bevel, ShapesDrawTheirEdges) {
    struct Case {
        TBevelShape Shape;
        TBevelStyle Style;
        QPoint A;
        TColor ColorA;
        QPoint B;
        TColor ColorB;
    };
    const TColor shadow = Rgb(clBtnShadow), light = Rgb(clBtnHighlight);
    const Case cases[] = {
        {bsBox, bsLowered, {0, 0}, shadow, {19, 9}, light},
        {bsBox, bsRaised, {0, 0}, light, {19, 9}, shadow},
        {bsTopLine, bsLowered, {5, 0}, shadow, {5, 1}, light},
        {bsBottomLine, bsLowered, {5, 8}, shadow, {5, 9}, light},
        {bsLeftLine, bsLowered, {0, 5}, shadow, {1, 5}, light},
        {bsRightLine, bsRaised, {18, 5}, light, {19, 5}, shadow},
        {bsFrame, bsLowered, {0, 0}, shadow, {1, 1}, light},
    };
    for (const Case& c : cases) {
        TPanel host(nullptr);
        host.SetBevelOuter(bvNone);
        host.SetColor(clWhite);
        host.SetBounds(0, 0, 20, 10);
        auto* bevel = new TBevel(&host);
        bevel->SetParent(&host);
        bevel->SetBounds(0, 0, 20, 10);
        bevel->SetShape(c.Shape);
        bevel->SetStyle(c.Style);
        EXPECT_EQ(PixelOf(&host, c.A.x(), c.A.y()), c.ColorA) << c.Shape << "/" << c.Style;
        EXPECT_EQ(PixelOf(&host, c.B.x(), c.B.y()), c.ColorB) << c.Shape << "/" << c.Style;
        // The middle shows what lies below.
        EXPECT_EQ(PixelOf(&host, 10, 5), clWhite) << c.Shape;
    }
    TBevel bevel(nullptr);
    EXPECT_TRUE(bevel.setProperty("Shape", "bsSpacer"));
    EXPECT_EQ(bevel.Shape(), bsSpacer);
}

// A form with glyph buttons enabled and disabled and a row of panels, saved to
// /tmp/p4.png to be looked at.
TEST(Screenshot, GlyphButtonsAndPanels) {
    auto* form = TForm::Create<TForm>(nullptr);
    form->SetBounds(0, 0, 420, 220);
    TBitmap glyph;
    glyph.SetSize(16, 16);
    TCanvas* c = glyph.Canvas();
    c->Brush()->SetColor(clOlive);
    c->FillRect(Rect(0, 0, 16, 16));
    c->Pen()->SetColor(clNavy);
    c->Brush()->SetColor(clWhite);
    c->Ellipse(1, 1, 11, 11);
    c->Pen()->SetWidth(3);
    c->MoveTo(9, 9);
    c->LineTo(15, 15);
    const char* captions[] = {"查询", "Flat", "Down"};
    std::vector<TSpeedButton*> speeds;
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 3; ++i) {
            auto* b = new TSpeedButton(form);
            b->SetParent(form);
            b->SetBounds(10 + i * 80, 10 + row * 35, 75, 28);
            b->SetGlyph(&glyph);
            b->SetCaption(QString::fromUtf8(captions[i]));
            b->SetFlat(i == 1);
            b->SetGroupIndex(i == 2 ? 1 : 0);
            b->SetDown(i == 2);
            b->SetEnabled(row == 0);
            speeds.push_back(b);
        }
    const TBitBtnKind kinds[] = {bkOK, bkCancel, bkHelp, bkClose};
    std::vector<TBitBtn*> bits;
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 4; ++i) {
            auto* b = new TBitBtn(form);
            b->SetParent(form);
            b->SetBounds(10 + i * 100, 85 + row * 35, 90, 28);
            b->SetKind(kinds[i]);
            b->SetEnabled(row == 0);
            bits.push_back(b);
        }
    const TBevelCut cuts[][2] = {{bvRaised, bvNone}, {bvLowered, bvNone}, {bvRaised, bvLowered}};
    for (int i = 0; i < 3; ++i) {
        auto* p = new TPanel(form);
        p->SetParent(form);
        p->SetBounds(10 + i * 130, 160, 120, 40);
        p->SetBevelOuter(cuts[i][0]);
        p->SetBevelInner(cuts[i][1]);
        p->SetBevelWidth(i == 2 ? 2 : 1);
        p->SetCaption(QStringLiteral("Panel %1").arg(i + 1));
        p->SetAlignment(i == 0 ? taLeftJustify : taCenter);
    }
    form->Show();
    const QImage shot = form->Handle()->grab().toImage();
    const QString path = QDir::tempPath() + "/p4.png";
    EXPECT_TRUE(shot.save(path));
    // Enabled and disabled buttons of the same kind look different.
    auto region = [&](TControl* control) { return shot.copy(control->BoundsRect()); };
    EXPECT_NE(region(speeds[0]), region(speeds[3]));
    EXPECT_NE(region(bits[0]), region(bits[4]));
    delete form;
}

}  // namespace
}  // namespace kv
