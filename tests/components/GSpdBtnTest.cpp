// Glyph speed buttons: the glyph number decides picture, caption and cell count;
// numbers the library cannot give leave the number as caption, library errors
// show the error box.
#include <QImage>
#include <QMetaProperty>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include "Pictolib.h"
#include "components/GSpdBtn.h"
#include "platform/Dialogs.h"
#include "platform/StdCtrls.h"

namespace kv {
namespace {

// What a message box showed.
struct ShownBox {
    QString Text;
    TMsgDlgType Type;
    std::vector<TMsgDlgBtn> Buttons;
};

std::vector<TMsgDlgBtn> ButtonsOf(const TMessageForm& box) {
    std::vector<TMsgDlgBtn> buttons;
    for (int b = mbYes; b <= mbHelp; ++b)
        if (box.Button(static_cast<TMsgDlgBtn>(b))) buttons.push_back(static_cast<TMsgDlgBtn>(b));
    return buttons;
}

// A small glyph library of the test's own: numbers 1..20, with gaps, pictures
// of chosen sizes, and numbers whose loading goes wrong.
class GlyphButtonTest : public ::testing::Test {
protected:
    static constexpr int kMax = 20;
    enum class Fault { None, Throws, EmptyPicture };
    struct Art {
        int Width, Height;
        Fault Kind = Fault::None;
    };

    void SetUp() override {
        art = {{3, {16, 16}}, {4, {32, 16}}, {5, {48, 16}}, {7, {16, 16, Fault::Throws}},
               {9, {0, 0, Fault::EmptyPicture}}, {10, {8, 16}}, {kMax, {16, 16}}};
        SetGlyphSource({[] { return kMax; }, [this](QImage& bitmap, int number) { return Load(bitmap, number); }});
        SetModalDriver([this](TForm& form) {
            auto* box = qobject_cast<TMessageForm*>(&form);
            ASSERT_NE(box, nullptr);
            boxes.push_back({box->MessageLabel()->Caption(), box->DialogType(), ButtonsOf(*box)});
            form.SetModalResult(mrOk);
        });
        button = new TGSpeedButton(nullptr);
    }
    void TearDown() override {
        delete button;
        SetModalDriver({});
        SetGlyphSource({});
    }

    bool Load(QImage& bitmap, int number) {
        ++loads;
        const auto it = art.find(number);
        if (it == art.end()) return false;
        if (it->second.Kind == Fault::Throws) throw std::runtime_error("broken glyph store");
        bitmap = it->second.Kind == Fault::EmptyPicture ? QImage() : QImage(it->second.Width, it->second.Height, QImage::Format_RGB32);
        if (!bitmap.isNull()) bitmap.fill(qRgb(number, 0, 0));
        return true;
    }

    std::map<int, Art> art;
    int loads = 0;
    std::vector<ShownBox> boxes;
    TGSpeedButton* button = nullptr;
};

TEST_F(GlyphButtonTest, NumberDecidesPictureCaptionAndCells) {
    struct Case {
        const char* Name;
        std::optional<int> Before;  // a glyph shown first
        int Index;
        QString Caption;
        QSize Picture;  // empty: no picture
        int Cells;      // of the picture
    };
    const Case cases[] = {
        {"single cell", {}, 3, "", {16, 16}, 1},
        {"two cells", {}, 4, "", {32, 16}, 2},
        {"three cells", {}, 5, "", {48, 16}, 3},
        {"narrower than high: one cell", {}, 10, "", {8, 16}, 1},
        {"highest number", {}, kMax, "", {16, 16}, 1},
        {"above the highest: number only", {}, kMax + 1, "21", {}, 0},
        {"gap in the numbers: number only", {}, 12, "12", {}, 0},
        {"gap after a glyph: the old picture goes", 4, 12, "12", {}, 0},
        {"zero after a glyph: no picture", 4, 0, "0", {}, 0},
        {"negative: number only", {}, -1, "-1", {}, 0},
        {"a glyph after a missing one clears the number", 12, 4, "", {32, 16}, 2},
    };
    for (const Case& c : cases) {
        delete button;
        button = new TGSpeedButton(nullptr);
        if (c.Before) button->SetGlyphIndex(*c.Before);
        button->SetGlyphIndex(c.Index);
        EXPECT_EQ(button->GlyphIndex(), c.Index) << c.Name;
        EXPECT_EQ(button->Caption(), c.Caption) << c.Name;
        if (c.Picture.isEmpty()) {
            EXPECT_TRUE(button->Glyph()->Empty()) << c.Name;
        } else {
            EXPECT_EQ(QSize(button->Glyph()->Width(), button->Glyph()->Height()), c.Picture) << c.Name;
            EXPECT_EQ(button->Glyph()->Pixels(0, 0) & 0xFF, c.Index) << c.Name << ": not the glyph asked for";
            EXPECT_EQ(button->NumGlyphs(), c.Cells) << c.Name;
        }
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(GlyphButtonTest, LibraryErrorsShowTheErrorBoxAndKeepTheNumber) {
    struct Case {
        const char* Name;
        int Index;
    };
    const Case cases[] = {{"the library throws", 7}, {"the library gives an empty picture", 9}};
    for (const Case& c : cases) {
        boxes.clear();
        button->SetGlyphIndex(4);
        button->SetGlyphIndex(c.Index);
        ASSERT_EQ(boxes.size(), 1u) << c.Name;
        EXPECT_EQ(boxes[0].Text, QStringLiteral("读取 BMP 发生错误")) << c.Name;
        EXPECT_EQ(boxes[0].Type, mtError) << c.Name;
        EXPECT_EQ(boxes[0].Buttons, std::vector<TMsgDlgBtn>{mbOK}) << c.Name;
        EXPECT_EQ(button->GlyphIndex(), c.Index) << c.Name;
        EXPECT_EQ(button->Caption(), QString::number(c.Index)) << c.Name;
        EXPECT_TRUE(button->Glyph()->Empty()) << c.Name;
    }
    // The button stays usable: the next good number loads.
    button->SetGlyphIndex(3);
    EXPECT_EQ(button->Caption(), "");
    EXPECT_EQ(button->Glyph()->Width(), 16);
}

TEST_F(GlyphButtonTest, TheSameNumberAgainDoesNotReload) {
    button->SetGlyphIndex(4);
    ASSERT_EQ(loads, 1);
    button->SetCaption("mine");
    button->SetNumGlyphs(1);
    button->SetGlyphIndex(4);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(button->Caption(), "mine");
    EXPECT_EQ(button->NumGlyphs(), 1);
    // A fresh button starts at 0, so 0 changes nothing either.
    TGSpeedButton fresh(nullptr);
    fresh.SetGlyphIndex(0);
    EXPECT_EQ(fresh.Caption(), "");
    EXPECT_EQ(loads, 1);
}

TEST_F(GlyphButtonTest, PublishedPropertiesAndThePictureIsNotStored) {
    const QMetaObject* meta = button->metaObject();
    const QMetaProperty glyph = meta->property(meta->indexOfProperty("Glyph"));
    ASSERT_TRUE(glyph.isValid());
    EXPECT_FALSE(glyph.isStored());
    for (const char* name : {"GlyphIndex", "HintIndex", "Caption", "NumGlyphs", "Flat"}) {
        const QMetaProperty p = meta->property(meta->indexOfProperty(name));
        ASSERT_TRUE(p.isValid()) << name;
        EXPECT_TRUE(p.isStored()) << name;
    }
    EXPECT_TRUE(button->setProperty("GlyphIndex", 5));
    EXPECT_EQ(button->NumGlyphs(), 3);
    EXPECT_TRUE(button->setProperty("HintIndex", 17));
    EXPECT_EQ(button->HintIndex, 17);
    EXPECT_EQ(button->GlyphIndex(), 5);  // the hint number touches nothing else
    EXPECT_EQ(button->ClassName(), "TGSpeedButton");
    EXPECT_TRUE(button->InheritsFrom("TSpeedButton"));
}

TEST(GlyphButtonLibrary, TakesTheProductGlyphs) {
    SetGlyphSource({});
    TGSpeedButton button(nullptr);
    button.SetGlyphIndex(4);  // clear list: two cells
    EXPECT_EQ(button.Caption(), "");
    EXPECT_EQ(button.Glyph()->Width(), 32);
    EXPECT_EQ(button.Glyph()->Height(), 16);
    EXPECT_EQ(button.NumGlyphs(), 2);
    EXPECT_EQ(button.Glyph()->TransparentColor(), QColorToColor(QColor::fromRgb(PictolibKeyColor)));
    button.SetGlyphIndex(8);  // lookup: one cell
    EXPECT_EQ(button.Glyph()->Width(), 16);
    EXPECT_EQ(button.NumGlyphs(), 1);
    button.SetGlyphIndex(GetMaxBmpID() + 1);
    EXPECT_EQ(button.Caption(), QString::number(GetMaxBmpID() + 1));
    EXPECT_TRUE(button.Glyph()->Empty());
}

}  // namespace
}  // namespace kv
