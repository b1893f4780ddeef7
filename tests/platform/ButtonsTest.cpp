// Glyph buttons: the layout arithmetic, which glyph cell a state draws, speed
// button groups driven by the mouse, stock bitmap buttons and their painting.
#include <QApplication>
#include <QMetaProperty>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <vector>

#include "platform/Buttons.h"
#include "platform/Forms.h"

namespace kv {
namespace {

TColor Rgb(TColor color) { return QColorToColor(ColorToQColor(color)); }

struct LayoutCase {
    const char* Name;
    QRect Client;
    QPoint Offset;
    QSize Glyph, Text;
    TButtonLayout Layout;
    int Margin, Spacing;
    QPoint GlyphPos, TextPos;
};

TEST(ButtonLayout, PlacesGlyphAndTextAsTheClassicButton) {
    const QSize g(16, 16), t(40, 13), none(0, 0);
    const std::vector<LayoutCase> cases = {
        {"left, centred pair", QRect(0, 0, 100, 30), {}, g, t, blGlyphLeft, -1, 4, {20, 7}, {40, 9}},
        {"right, centred pair", QRect(0, 0, 100, 30), {}, g, t, blGlyphRight, -1, 4, {64, 7}, {20, 9}},
        {"top, centred pair", QRect(0, 0, 100, 60), {}, g, t, blGlyphTop, -1, 4, {42, 14}, {30, 34}},
        {"bottom, centred pair", QRect(0, 0, 100, 60), {}, g, t, blGlyphBottom, -1, 4, {42, 30}, {30, 13}},
        {"fixed margin and spacing", QRect(0, 0, 100, 30), {}, g, t, blGlyphLeft, 5, 3, {5, 7}, {24, 9}},
        {"fixed margin, spread spacing", QRect(0, 0, 100, 30), {}, g, t, blGlyphLeft, 2, -1, {2, 7}, {39, 9}},
        {"both spread in thirds", QRect(0, 0, 100, 30), {}, g, t, blGlyphLeft, -1, -1, {14, 7}, {44, 9}},
        {"no text: spacing does not count", QRect(0, 0, 100, 30), {}, g, none, blGlyphLeft, -1, 4, {42, 7}, {58, 15}},
        {"no glyph: text centred", QRect(0, 0, 100, 30), {}, none, t, blGlyphLeft, -1, 4, {30, 15}, {30, 9}},
        {"client origin and pressed offset", QRect(2, 2, 96, 26), {1, 1}, g, t, blGlyphLeft, -1, 4, {21, 8}, {41, 10}},
    };
    for (const LayoutCase& c : cases) {
        const TButtonLayoutResult r = CalcButtonLayout(c.Client, c.Offset, c.Glyph, c.Text, c.Layout, c.Margin, c.Spacing);
        EXPECT_EQ(r.GlyphPos, c.GlyphPos) << c.Name;
        EXPECT_EQ(r.TextBounds.topLeft(), c.TextPos) << c.Name;
        EXPECT_EQ(r.TextBounds.size(), c.Text) << c.Name;
    }
}

TEST(ButtonLayout, GlyphCellFollowsTheStateAndTheCellsThereAre) {
    struct Case {
        TButtonState State;
        int Cells;
        int Expected;
    };
    const Case cases[] = {
        {bsUp, 1, 0},        {bsUp, 4, 0},          {bsDisabled, 1, -1}, {bsDisabled, 2, 1},
        {bsDisabled, 4, 1},  {bsDown, 2, 0},        {bsDown, 3, 2},      {bsExclusive, 3, 0},
        {bsExclusive, 4, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GlyphCellForState(c.State, c.Cells), c.Expected) << "state " << c.State << ", " << c.Cells << " cells";
}

// A strip of `cells` 16 x 16 cells on olive, cell i filled (inset by 2) with
// colours[i].
void Strip(TBitmap& b, const std::vector<TColor>& colours) {
    const int cells = static_cast<int>(colours.size());
    b.SetSize(16 * cells, 16);
    b.Canvas()->Brush()->SetColor(clOlive);
    b.Canvas()->FillRect(Rect(0, 0, 16 * cells, 16));
    for (int i = 0; i < cells; ++i) {
        b.Canvas()->Brush()->SetColor(colours[static_cast<size_t>(i)]);
        b.Canvas()->FillRect(Rect(16 * i + 2, 2, 16 * i + 14, 14));
    }
}

TColor PixelOf(TControl* control, int x, int y) {
    const QImage image = control->Handle()->grab().toImage();
    return QColorToColor(QColor(image.pixel(x, y)));
}

void SendMouse(TControl* control, QEvent::Type type, QPoint pos) {
    QMouseEvent e(type, pos, control->Handle()->mapToGlobal(pos), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control->Handle(), &e);
}

void ClickAt(TControl* control, QPoint pos) {
    SendMouse(control, QEvent::MouseButtonPress, pos);
    SendMouse(control, QEvent::MouseButtonRelease, pos);
}

TEST(SpeedButton, GlyphAssignmentCountsCellsOfSquareStrips) {
    TSpeedButton button(nullptr);
    EXPECT_EQ(button.Width(), 23);
    EXPECT_EQ(button.Height(), 22);
    EXPECT_EQ(button.Margin(), -1);
    EXPECT_EQ(button.Spacing(), 4);
    struct Case {
        int Width, Height, Cells;
    };
    const Case cases[] = {{32, 16, 2}, {16, 16, 1}, {64, 16, 4}, {80, 16, 4}, {20, 16, 4}, {48, 16, 3}};
    // 80 x 16 (five cells) and 20 x 16 (not a multiple) keep the count they had.
    for (const Case& c : cases) {
        TBitmap g;
        g.SetSize(c.Width, c.Height);
        button.SetGlyph(&g);
        EXPECT_EQ(button.NumGlyphs(), c.Cells) << c.Width << "x" << c.Height;
    }
    button.SetNumGlyphs(0);
    EXPECT_EQ(button.NumGlyphs(), 1);
    button.SetNumGlyphs(9);
    EXPECT_EQ(button.NumGlyphs(), 4);
}

class SpeedButtonGroup : public ::testing::Test {
protected:
    void SetUp() override {
        form = TForm::Create<TForm>(nullptr);
        for (int i = 0; i < 3; ++i) {
            auto* b = new TSpeedButton(form);
            b->SetParent(form);
            b->SetBounds(i * 30, 0, 25, 25);
            b->SetGroupIndex(1);
            b->OnClick = [this, b](TObject*) { clicks.push_back(b); };
            buttons.push_back(b);
        }
    }
    void TearDown() override { delete form; }
    TForm* form = nullptr;
    std::vector<TSpeedButton*> buttons;
    std::vector<TSpeedButton*> clicks;
};

TEST_F(SpeedButtonGroup, ClickingPutsOneButtonDownAndTheOthersUp) {
    ClickAt(buttons[0], {5, 5});
    EXPECT_TRUE(buttons[0]->Down());
    ClickAt(buttons[1], {5, 5});
    EXPECT_TRUE(buttons[1]->Down());
    EXPECT_FALSE(buttons[0]->Down());
    // Without AllowAllUp the down button stays down when clicked again.
    ClickAt(buttons[1], {5, 5});
    EXPECT_TRUE(buttons[1]->Down());
    EXPECT_EQ(clicks, (std::vector<TSpeedButton*>{buttons[0], buttons[1], buttons[1]}));
}

TEST_F(SpeedButtonGroup, AllowAllUpReachesTheWholeGroupAndLetsTheLastGoUp) {
    buttons[2]->SetDown(true);
    buttons[0]->SetAllowAllUp(true);
    EXPECT_TRUE(buttons[2]->AllowAllUp());
    ClickAt(buttons[2], {5, 5});
    EXPECT_FALSE(buttons[2]->Down());
}

TEST_F(SpeedButtonGroup, SettingDownInCodeRaisesNoClickAndUngroupedButtonsNeverStayDown) {
    buttons[0]->SetDown(true);
    buttons[1]->SetDown(true);
    EXPECT_FALSE(buttons[0]->Down());
    EXPECT_TRUE(clicks.empty());
    buttons[2]->SetGroupIndex(0);
    buttons[2]->SetDown(true);
    EXPECT_FALSE(buttons[2]->Down());
    ClickAt(buttons[2], {5, 5});
    EXPECT_FALSE(buttons[2]->Down());
    EXPECT_EQ(clicks, (std::vector<TSpeedButton*>{buttons[2]}));
}

TEST_F(SpeedButtonGroup, ReleasingOutsideIsNoClick) {
    SendMouse(buttons[0], QEvent::MouseButtonPress, {5, 5});
    EXPECT_EQ(buttons[0]->State(), bsDown);
    SendMouse(buttons[0], QEvent::MouseMove, {60, 5});
    EXPECT_EQ(buttons[0]->State(), bsUp);
    SendMouse(buttons[0], QEvent::MouseButtonRelease, {60, 5});
    EXPECT_FALSE(buttons[0]->Down());
    EXPECT_TRUE(clicks.empty());
}

TEST(SpeedButton, DrawsTheCellOfItsState) {
    TSpeedButton button(nullptr);
    button.SetBounds(0, 0, 40, 30);
    TBitmap strip;
    Strip(strip, {clRed, clBlue, clLime, clYellow});
    button.SetGlyph(&strip);
    ASSERT_EQ(button.NumGlyphs(), 4);
    // Client (2, 2, 36 x 26): the 16 x 16 glyph at (12, 7); its centre (20, 15).
    EXPECT_EQ(button.DrawnGlyphCell(), 0);
    EXPECT_EQ(PixelOf(&button, 20, 15), clRed);
    // The transparent colour shows the face.
    EXPECT_EQ(PixelOf(&button, 13, 8), Rgb(button.Color()));

    SendMouse(&button, QEvent::MouseButtonPress, {5, 5});
    EXPECT_EQ(button.DrawnGlyphCell(), 2);
    // Pressed: one pixel down-right; the glyph's top-left inner pixel moves.
    EXPECT_EQ(PixelOf(&button, 14, 9), Rgb(button.Color()));
    EXPECT_EQ(PixelOf(&button, 15, 10), clLime);
    SendMouse(&button, QEvent::MouseButtonRelease, {5, 5});

    button.SetEnabled(false);
    EXPECT_EQ(button.DrawnGlyphCell(), 1);
    EXPECT_EQ(PixelOf(&button, 20, 15), clBlue);
}

TEST(SpeedButton, SingleCellGlyphIsGreyedWhenDisabled) {
    TSpeedButton button(nullptr);
    button.SetBounds(0, 0, 40, 30);
    button.SetFlat(true);
    button.SetTransparent(false);
    TBitmap strip;
    Strip(strip, {clMaroon});
    button.SetGlyph(&strip);
    button.SetEnabled(false);
    EXPECT_EQ(button.DrawnGlyphCell(), -1);
    // Flat client (1, 1, 38 x 28): glyph at (12, 7). The dark square's inside is
    // shadow, the pixel below-right of its corner highlight, nothing maroon.
    EXPECT_EQ(PixelOf(&button, 20, 15), Rgb(clBtnShadow));
    EXPECT_EQ(PixelOf(&button, 12 + 14, 7 + 14), Rgb(clBtnHighlight));
    TBitmap greyed;
    CreateGrayedGlyph(strip, clOlive, greyed);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_NE(greyed.Pixels(x, y), clMaroon);
}

TEST(SpeedButton, PropertiesAndEventsByName) {
    TSpeedButton button(nullptr);
    EXPECT_TRUE(button.setProperty("Layout", "blGlyphTop"));
    EXPECT_EQ(button.Layout(), blGlyphTop);
    EXPECT_TRUE(button.setProperty("Caption", QStringLiteral("查询")));
    EXPECT_EQ(button.Caption(), QStringLiteral("查询"));
    EXPECT_TRUE(button.setProperty("Flat", true));
    EXPECT_TRUE(button.Flat());
    EXPECT_EQ(button.property("Glyph").value<TBitmap*>(), button.Glyph());
    int clicked = 0;
    EXPECT_TRUE(button.setProperty("OnClick", QVariant::fromValue(TNotifyEvent([&](TObject*) { ++clicked; }))));
    ClickAt(&button, {3, 3});
    EXPECT_EQ(clicked, 1);
}

TEST(BitBtn, KindsGiveTheStockCaptionResultAndGlyph) {
    struct Case {
        TBitBtnKind Kind;
        const char* Caption;
        TModalResult Result;
        bool Default, Cancel;
    };
    const Case cases[] = {
        {bkOK, "OK", mrOk, true, false},           {bkCancel, "Cancel", mrCancel, false, true},
        {bkYes, "&Yes", mrYes, true, false},        {bkNo, "&No", mrNo, false, true},
        {bkHelp, "&Help", mrNone, false, false},    {bkClose, "&Close", mrNone, false, false},
        {bkAbort, "Abort", mrAbort, false, false},  {bkRetry, "&Retry", mrRetry, false, false},
        {bkIgnore, "&Ignore", mrIgnore, false, false}, {bkAll, "&All", mrAll, false, false},
    };
    for (const Case& c : cases) {
        TBitBtn button(nullptr);
        button.SetKind(c.Kind);
        EXPECT_EQ(button.Kind(), c.Kind) << c.Caption;
        EXPECT_EQ(button.Caption(), QString::fromLatin1(c.Caption));
        EXPECT_EQ(button.ModalResult(), c.Result) << c.Caption;
        EXPECT_EQ(button.Default(), c.Default) << c.Caption;
        EXPECT_EQ(button.Cancel(), c.Cancel) << c.Caption;
        EXPECT_EQ(button.NumGlyphs(), 2) << c.Caption;
        EXPECT_EQ(button.Glyph()->Width(), 2 * button.Glyph()->Height()) << c.Caption;
        // The picture differs from its background, and the disabled half from it.
        const TBitmap* g = button.Glyph();
        const TColor background = g->TransparentColor();
        bool picture = false, differs = false;
        for (int y = 0; y < g->Height(); ++y)
            for (int x = 0; x < g->Height(); ++x) {
                picture = picture || g->Pixels(x, y) != background;
                differs = differs || g->Pixels(x, y) != g->Pixels(x + g->Height(), y);
            }
        EXPECT_TRUE(picture) << c.Caption;
        EXPECT_TRUE(differs) << c.Caption;
    }
}

TEST(BitBtn, ChangingWhatTheKindSetsMakesItCustom) {
    TBitBtn button(nullptr);
    EXPECT_EQ(button.Kind(), bkCustom);
    button.SetKind(bkOK);
    button.SetModalResult(mrNone);
    EXPECT_EQ(button.Kind(), bkCustom);
    button.SetKind(bkCancel);
    button.SetDefault(true);
    EXPECT_EQ(button.Kind(), bkCustom);
    EXPECT_TRUE(button.setProperty("Kind", "bkYes"));
    EXPECT_EQ(button.Kind(), bkYes);
    EXPECT_TRUE(button.setProperty("Layout", "blGlyphRight"));
    EXPECT_EQ(button.Layout(), blGlyphRight);
}

TEST(BitBtn, OkSetsTheFormResultAndCloseClosesTheForm) {
    auto* form = TForm::Create<TForm>(nullptr);
    auto* ok = new TBitBtn(form);
    ok->SetParent(form);
    ok->SetKind(bkOK);
    auto* close = new TBitBtn(form);
    close->SetParent(form);
    close->SetKind(bkClose);
    form->Show();
    ok->Click();
    EXPECT_EQ(form->ModalResult(), mrOk);
    close->Click();
    EXPECT_FALSE(form->Visible());
    delete form;
}

TEST(BitBtn, PaintsTheCellOfItsState) {
    TBitBtn button(nullptr);
    button.SetBounds(0, 0, 60, 30);
    TBitmap strip;
    Strip(strip, {clRed, clBlue});
    button.SetGlyph(&strip);
    // No caption: client (2, 2, 56 x 26), glyph at (22, 7), centre (30, 15).
    EXPECT_EQ(PixelOf(&button, 30, 15), clRed);
    button.SetEnabled(false);
    EXPECT_EQ(button.DrawnGlyphCell(), 1);
    EXPECT_EQ(PixelOf(&button, 30, 15), clBlue);
}

}  // namespace
}  // namespace kv
