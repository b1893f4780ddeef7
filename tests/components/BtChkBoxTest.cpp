// Self-drawn check boxes: the state cycle on clicks, keys and accelerators, which
// glyph cell is painted in each state (enabled and disabled), the built-in
// pictures, the caption's place and colours, and clicks simulated by mouse
// messages.
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <vector>

#include "components/BtChkBox.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "WidgetTestSupport.h"

namespace kv {
namespace {

using test::SendKey;

// A strip of `cells` cells of size x size, each one colour, with a teal pixel at
// the bottom-left of every cell (the transparent colour of the strip).
QImage StripImage(int size, const std::vector<QRgb>& cells) {
    QImage image(size * static_cast<int>(cells.size()), size, QImage::Format_RGB32);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) image.setPixel(c * size + x, y, cells[static_cast<size_t>(c)]);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) image.setPixel(c * size, size - 1, qRgb(0, 128, 128));
    return image;
}

QImage Render(TControl* control) { return control->Handle()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QRgb Rgb(TColor color) { return ColorToQColor(color).rgb() | 0xFF000000u; }

bool HasPixelIn(const QImage& image, const QRect& area, QRgb colour) {
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((image.pixel(x, y) | 0xFF000000u) == colour) return true;
    return false;
}

// Text without smoothing, so the caption's pixels carry exactly its colour.
void UseCrispFont(TControl* control, int pixelHeight) {
    QFont f = control->Font()->ToQFont();
    f.setStyleStrategy(QFont::NoAntialias);
    f.setPixelSize(pixelHeight);
    control->Font()->SetQFont(f);
}


// A shown form with one box on it, so focus and accelerators work as in a dialog.
class BoxOnForm : public ::testing::Test {
protected:
    void SetUp() override {
        form = TForm::Create<TForm>(nullptr);
        form->SetBounds(0, 0, 300, 120);
        other = CreateNamed<TEdit>(form, "edOther");
        other->SetParent(form);
        other->SetBounds(150, 10, 100, 21);
        box = CreateNamed<TBitCheckBox>(form, "chkView");
        box->SetParent(form);
        box->SetBounds(10, 10, 120, 17);
        box->SetCaption("&View");
        box->OnClick = [this](TObject* sender) {
            EXPECT_EQ(sender, box);
            clickStates.push_back(box->State());
        };
        form->Show();
        other->SetFocus();
    }
    void TearDown() override { form->Free(); }

    TForm* form = nullptr;
    TEdit* other = nullptr;
    TBitCheckBox* box = nullptr;
    std::vector<TCheckBoxState> clickStates;
};

TEST(BitCheckBox, NewBoxHasTheClassicDefaultsReadableByName) {
    TBitCheckBox box(nullptr);
    EXPECT_EQ(box.Width(), 97);
    EXPECT_EQ(box.Height(), 17);
    EXPECT_TRUE(box.TabStop());
    EXPECT_EQ(box.property("State").value<TCheckBoxState>(), cbUnchecked);
    EXPECT_FALSE(box.property("Checked").toBool());
    EXPECT_FALSE(box.property("AllowGrayed").toBool());
    EXPECT_EQ(box.property("Alignment").value<TAlignment>(), taRightJustify);
    EXPECT_TRUE(box.property("Ctl3D").toBool());
    EXPECT_TRUE(box.property("ParentCtl3D").toBool());
    for (const char* name : {"CheckedNumGlyphs", "UncheckedNumGlyphs", "GrayedNumGlyphs"})
        EXPECT_EQ(box.property(name).toInt(), 1) << name;
    for (const char* name : {"CheckedGlyph", "UncheckedGlyph", "GrayedGlyph"}) {
        auto* glyph = box.property(name).value<TBitmap*>();
        ASSERT_NE(glyph, nullptr) << name;
        EXPECT_EQ(glyph->Width(), 19) << name;
        EXPECT_EQ(glyph->Height(), 14) << name;
        // The pictures come with the component, never with the form.
        const QMetaObject* mo = box.metaObject();
        EXPECT_FALSE(mo->property(mo->indexOfProperty(name)).isStored()) << name;
    }
    // Written by name, as the language and scheme code does.
    EXPECT_TRUE(box.setProperty("Checked", true));
    EXPECT_EQ(box.State(), cbChecked);
    EXPECT_TRUE(box.setProperty("State", QVariant::fromValue(cbGrayed)));
    EXPECT_FALSE(box.Checked());
    EXPECT_TRUE(box.setProperty("Caption", "完成后通知"));
    EXPECT_EQ(box.Caption(), "完成后通知");
    EXPECT_TRUE(box.setProperty("GrayedNumGlyphs", 7));
    EXPECT_EQ(box.GrayedNumGlyphs(), 2);
}

TEST_F(BoxOnForm, ClicksCycleTheStateAndRaiseOnClickEachTime) {
    struct Case {
        bool AllowGrayed;
        std::vector<TCheckBoxState> After;
    } cases[] = {
        {true, {cbGrayed, cbChecked, cbUnchecked, cbGrayed}},
        {false, {cbChecked, cbUnchecked, cbChecked, cbUnchecked}},
    };
    for (const Case& c : cases) {
        box->SetState(cbUnchecked);
        box->SetAllowGrayed(c.AllowGrayed);
        clickStates.clear();
        std::vector<TCheckBoxState> seen;
        for (size_t i = 0; i < c.After.size(); ++i) {
            SimulateClick(box, MK_LBUTTON, MakePointParam(5, 8));
            seen.push_back(box->State());
        }
        EXPECT_EQ(seen, c.After) << "AllowGrayed " << c.AllowGrayed;
        // OnClick sees the new state, once per click.
        EXPECT_EQ(clickStates, c.After) << "AllowGrayed " << c.AllowGrayed;
    }
    // A click takes the focus.
    EXPECT_EQ(form->ActiveControl(), box);
}

TEST_F(BoxOnForm, ToggleAndSettersInCodeRaiseNoClick) {
    box->SetChecked(true);
    box->SetState(cbGrayed);
    box->Toggle();
    EXPECT_EQ(box->State(), cbChecked);
    box->Toggle();
    EXPECT_EQ(box->State(), cbUnchecked);
    box->SetAllowGrayed(true);
    box->Toggle();
    EXPECT_EQ(box->State(), cbGrayed);
    EXPECT_TRUE(clickStates.empty());
    EXPECT_EQ(form->ActiveControl(), other);
}

TEST_F(BoxOnForm, ReleasingOutsideTheBoxOrOnADisabledBoxIsNoClick) {
    // Pressed inside, released outside: the press point is where the release is
    // reported too, so a point left of the box is outside.
    SimulateClick(box, MK_LBUTTON, MakePointParam(-3, 8));
    box->SetEnabled(false);
    SimulateClick(box, MK_LBUTTON, MakePointParam(5, 8));
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_TRUE(clickStates.empty());
}

TEST_F(BoxOnForm, SimulatedClickCarriesPointAndShiftState) {
    std::vector<std::tuple<int, int, bool, bool>> downs;
    box->OnMouseDown = [&](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
        EXPECT_EQ(button, mbLeft);
        downs.emplace_back(x, y, shift.testFlag(ssShift), shift.testFlag(ssCtrl));
    };
    SimulateClick(box, MK_LBUTTON | MK_SHIFT, MakePointParam(40, 9));
    SimulateClick(box, MK_LBUTTON | MK_CONTROL, MakePointParam(3, 2));
    EXPECT_EQ(downs, (std::vector<std::tuple<int, int, bool, bool>>{{40, 9, true, false}, {3, 2, false, true}}));
    EXPECT_EQ(clickStates, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked}));
}

TEST_F(BoxOnForm, ADoubleClickIsTwoClicks) {
    QWidget* w = box->Handle();
    const QPointF at(5, 8);
    const QPointF global = w->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const bool down = type != QEvent::MouseButtonRelease;
        QMouseEvent e(type, at, global, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    EXPECT_EQ(clickStates, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked}));
}

TEST_F(BoxOnForm, SpaceClicksAfterTheKeyHandlersUnlessTheyDropTheKey) {
    box->SetFocus();
    SendKey(box->Handle(), Qt::Key_Space, " ");
    EXPECT_EQ(clickStates, std::vector<TCheckBoxState>{cbChecked});
    box->OnKeyPress = [](TObject*, QChar& key) {
        if (key == QLatin1Char(' ')) key = QChar();
    };
    SendKey(box->Handle(), Qt::Key_Space, " ");
    SendKey(box->Handle(), Qt::Key_X, "x");
    EXPECT_EQ(clickStates, std::vector<TCheckBoxState>{cbChecked});
}

TEST_F(BoxOnForm, AcceleratorFocusesAndTogglesWithoutOnClick) {
    EXPECT_NE(form->Perform(CM_DIALOGCHAR, 'V'), 0);
    EXPECT_EQ(form->ActiveControl(), box);
    EXPECT_EQ(box->State(), cbChecked);
    // Another letter is not this box's.
    EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'Q'), 0);
    EXPECT_EQ(box->State(), cbChecked);
    // A disabled box leaves the accelerator to others.
    box->SetEnabled(false);
    EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'V'), 0);
    EXPECT_EQ(box->State(), cbChecked);
    // Alt+letter typed in another control reaches it too.
    box->SetEnabled(true);
    other->SetFocus();
    QKeyEvent alt(QEvent::KeyPress, Qt::Key_V, Qt::AltModifier, "v");
    QApplication::sendEvent(other->Handle(), &alt);
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(form->ActiveControl(), box);
    EXPECT_TRUE(clickStates.empty());
}

TEST(BitCheckBox, GlyphCellCountFollowsTheStripAndClamps) {
    struct Case {
        int Width, Height;
        int Before;  // cell count set before the strip
        int After;
    } cases[] = {
        {38, 14, 1, 2},  // two cells of the built-in pictures' size
        {19, 14, 1, 1},  // one such cell
        {19, 14, 2, 1},  // a count set for an earlier strip does not cut it in half
        {14, 14, 2, 1},  // one square cell
        {28, 14, 1, 2},
        {57, 14, 1, 2},  // a third cell is never drawn
        {10, 14, 2, 1},  // narrower than high: still one cell
    };
    for (const Case& c : cases) {
        TBitCheckBox box(nullptr);
        box.SetCheckedNumGlyphs(c.Before);
        TBitmap strip;
        strip.SetSize(c.Width, c.Height);
        box.SetCheckedGlyph(&strip);
        EXPECT_EQ(box.CheckedNumGlyphs(), c.After) << c.Width << "x" << c.Height;
        EXPECT_EQ(box.CheckedGlyph()->Width(), c.Width);
        // The box keeps a copy.
        strip.SetSize(3, 3);
        EXPECT_EQ(box.CheckedGlyph()->Width(), c.Width);
    }
    TBitCheckBox box(nullptr);
    for (int n : {0, -4}) {
        box.SetUncheckedNumGlyphs(n);
        EXPECT_EQ(box.UncheckedNumGlyphs(), 1);
    }
    box.SetUncheckedNumGlyphs(3);
    EXPECT_EQ(box.UncheckedNumGlyphs(), 2);
}

TEST(BitCheckBox, AnEmptyGlyphBringsBackTheBuiltInPictureWithOneCell) {
    TBitCheckBox box(nullptr);
    const QImage builtIn = box.GrayedGlyph()->Image();
    TBitmap strip;
        strip.FromQImage(StripImage(14, {qRgb(1, 2, 3), qRgb(4, 5, 6)}));
    box.SetGrayedGlyph(&strip);
    EXPECT_EQ(box.GrayedNumGlyphs(), 2);
    TBitmap empty;
    box.SetGrayedGlyph(&empty);
    EXPECT_EQ(box.GrayedGlyph()->Image(), builtIn);
    // A count kept from the strip would cut the picture in half.
    EXPECT_EQ(box.GrayedNumGlyphs(), 1);
    box.SetGrayedGlyph(&strip);
    box.SetGrayedGlyph(nullptr);
    EXPECT_EQ(box.GrayedGlyph()->Image(), builtIn);
}

TEST(BitCheckBox, BuiltInPicturesAreRaisedBoxesWithRedMarks) {
    const QRgb teal = qRgb(0, 128, 128), silver = qRgb(192, 192, 192), white = qRgb(255, 255, 255),
               grey = qRgb(128, 128, 128), red = qRgb(255, 0, 0);
    struct Case {
        const char* Name;
        bool RedInBox, RedBeyondBox;
    } cases[] = {{"UNCHECKED", false, false}, {"CHECKED", true, true}, {"GRAYED", true, false}};
    for (const Case& c : cases) {
        const QImage image = CheckGlyphImage(c.Name);
        ASSERT_EQ(image.size(), QSize(19, 14)) << c.Name;
        EXPECT_EQ(image.pixel(1, 0), white) << c.Name;
        EXPECT_EQ(image.pixel(0, 5), white) << c.Name;
        EXPECT_EQ(image.pixel(12, 5), grey) << c.Name;
        EXPECT_EQ(image.pixel(5, 12), grey) << c.Name;
        EXPECT_EQ(image.pixel(1, 11), silver) << c.Name;
        EXPECT_EQ(image.pixel(0, 13), teal) << c.Name;  // the transparent corner
        EXPECT_EQ(image.pixel(18, 13), teal) << c.Name;
        EXPECT_EQ(HasPixelIn(image, QRect(1, 1, 11, 11), red), c.RedInBox) << c.Name;
        EXPECT_EQ(HasPixelIn(image, QRect(13, 0, 6, 14), red), c.RedBeyondBox) << c.Name;
    }
    EXPECT_TRUE(CheckGlyphImage("OTHER").isNull());
}

// Each state gets its own two-cell strip; the pixel under the glyph shows which
// strip and which cell the box drew.
TEST(BitCheckBox, PaintsTheCellOfTheStateEnabledCellOneDisabledCellTwo) {
    const QRgb stateColour[3][2] = {
        {qRgb(0, 200, 0), qRgb(0, 90, 0)},  // unchecked: enabled, disabled
        {qRgb(200, 0, 0), qRgb(90, 0, 0)},  // checked
        {qRgb(0, 0, 200), qRgb(0, 0, 90)},  // grayed
    };
    struct Case {
        TCheckBoxState State;
        bool TwoCells, Enabled;
        int Cell;
    } cases[] = {
        {cbUnchecked, true, true, 0}, {cbUnchecked, true, false, 1}, {cbChecked, true, true, 0},
        {cbChecked, true, false, 1},  {cbGrayed, true, true, 0},     {cbGrayed, true, false, 1},
        {cbChecked, false, true, 0},  {cbChecked, false, false, 0},  // one cell: disabled draws it too
    };
    for (const Case& c : cases) {
        TBitCheckBox box(nullptr);
        box.SetColor(clYellow);
        for (TCheckBoxState s : {cbUnchecked, cbChecked, cbGrayed}) {
            std::vector<QRgb> cells{stateColour[s][0]};
            if (c.TwoCells) cells.push_back(stateColour[s][1]);
            TBitmap strip;
        strip.FromQImage(StripImage(14, cells));
            box.SetGlyph(s, &strip);
        }
        box.SetState(c.State);
        box.SetEnabled(c.Enabled);
        const QImage image = Render(&box);
        const int top = (17 - 14) / 2;
        EXPECT_EQ(image.pixel(7, top + 5), stateColour[c.State][c.Cell] | 0xFF000000u)
            << "state " << c.State << " enabled " << c.Enabled << " cells " << (c.TwoCells ? 2 : 1);
        // The strip's transparent colour shows the box's colour.
        EXPECT_EQ(image.pixel(0, top + 13), Rgb(clYellow));
        // Nothing of the second cell spills beside the first.
        EXPECT_EQ(image.pixel(15, top + 5), Rgb(clYellow));
    }
}

TEST(BitCheckBox, LeftJustifiedBoxDrawsTheGlyphAtTheRightEdge) {
    TBitCheckBox box(nullptr);
    box.SetBounds(0, 0, 100, 17);
    box.SetColor(clYellow);
    TBitmap strip;
        strip.FromQImage(StripImage(14, {qRgb(200, 0, 0)}));
    box.SetCheckedGlyph(&strip);
    box.SetChecked(true);
    box.SetAlignment(taLeftJustify);
    const QImage image = Render(&box);
    EXPECT_EQ(image.pixel(100 - 14 + 3, 6), qRgb(200, 0, 0));
    EXPECT_EQ(image.pixel(100 - 14 - 1, 6), Rgb(clYellow));
    EXPECT_EQ(image.pixel(3, 6), Rgb(clYellow));
    EXPECT_EQ(box.CaptionRect().left(), 1);
}

TEST(BitCheckBox, CaptionIsMeasuredWithoutTheAcceleratorAmpersand) {
    TBitCheckBox box(nullptr);
    box.SetBounds(0, 0, 200, 17);
    const QFontMetrics metrics(box.Font()->ToQFont());
    struct Case {
        QString Caption;
        int Width;
    } cases[] = {
        {"Print", metrics.horizontalAdvance("Print")},
        {"&Print", metrics.horizontalAdvance("&Print") - metrics.horizontalAdvance('&')},
    };
    for (const Case& c : cases) {
        box.SetCaption(c.Caption);
        const QRect r = box.CaptionRect();
        EXPECT_EQ(r.left(), 19 + 4) << c.Caption.toStdString();  // right of the built-in glyph
        EXPECT_EQ(r.width(), c.Width) << c.Caption.toStdString();
        EXPECT_EQ(r.top(), std::max(0, (17 - metrics.height()) / 2 - 2));
    }
    // A long caption stays inside the box.
    box.SetCaption(QString(200, QLatin1Char('W')));
    EXPECT_EQ(box.CaptionRect().right(), 199);
}

TEST(BitCheckBox, DisabledCaptionIsGreyWithAHighlightUnderIt) {
    struct Case {
        bool Enabled, Ctl3D;
        bool FontColour, GreyText, Highlight;
    } cases[] = {
        {true, true, true, false, false},
        {false, true, false, true, true},
        {false, false, false, true, false},
    };
    for (const Case& c : cases) {
        TBitCheckBox box(nullptr);
        box.SetBounds(0, 0, 160, 24);
        box.SetColor(clYellow);
        UseCrispFont(&box, 16);
        box.Font()->SetColor(clRed);
        box.SetCaption("MMMM");
        box.SetEnabled(c.Enabled);
        box.SetCtl3D(c.Ctl3D);
        const QImage image = Render(&box);
        const QRect area(23, 0, 137, 24);
        EXPECT_EQ(HasPixelIn(image, area, Rgb(clRed)), c.FontColour) << c.Enabled << c.Ctl3D;
        EXPECT_EQ(HasPixelIn(image, area, Rgb(clGrayText)), c.GreyText) << c.Enabled << c.Ctl3D;
        EXPECT_EQ(HasPixelIn(image, area, Rgb(clBtnHighlight)), c.Highlight) << c.Enabled << c.Ctl3D;
    }
}

TEST_F(BoxOnForm, FocusedBoxFramesItsCaption) {
    box->SetColor(clYellow);
    box->Font()->SetColor(clBlue);
    box->SetCaption("x");
    box->SetBounds(10, 10, 120, 30);
    const QRect caption = box->CaptionRect();
    const QRect frameTop(caption.left() - 1, caption.top() - 1, caption.width() + 2, 1);
    EXPECT_FALSE(HasPixelIn(Render(box), frameTop, Rgb(clBlue)));
    box->SetFocus();
    EXPECT_TRUE(HasPixelIn(Render(box), frameTop, Rgb(clBlue)));
}

TEST(BitCheckBox, DesignerGivesANewBoxItsNameAsCaption) {
    struct DesignedBox : TBitCheckBox {
        explicit DesignedBox(bool designing) : TBitCheckBox(nullptr) { SetComponentStateFlag(csDesigning, designing); }
    };
    DesignedBox designed(true);
    designed.SetName("chkNotify");
    EXPECT_EQ(designed.Caption(), "chkNotify");
    designed.SetCaption("完成后通知");
    designed.SetName("chkOther");
    EXPECT_EQ(designed.Caption(), "完成后通知");
    DesignedBox running(false);
    running.SetName("chkNotify");
    EXPECT_EQ(running.Caption(), "");
}

TEST(BitCheckBox, MavCheckBoxIsABitCheckBox) {
    TMavCheckBox box(nullptr);
    EXPECT_TRUE(box.InheritsFrom("TBitCheckBox"));
    EXPECT_EQ(box.ClassName(), "TMavCheckBox");
    box.SetAllowGrayed(true);
    box.Toggle();
    EXPECT_EQ(box.State(), cbGrayed);
}

}  // namespace
}  // namespace kv
