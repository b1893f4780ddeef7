// The spin edit: the classic value rules (range limited only when the bounds
// differ, text that is no number reads as MinValue), clamping when set and when
// left, the buttons and arrow keys, and what may be typed.
#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include "platform/Forms.h"
#include "platform/Spin.h"
#include "WidgetTestSupport.h"

namespace kv {
namespace {

using test::SendKey;
using test::TypeText;



struct SpinFixture : ::testing::Test {
    void SetUp() override {
        form = TForm::Create<TForm>(nullptr);
        spin = CreateNamed<TSpinEdit>(form, "sp");
        spin->SetParent(form);
        other = CreateNamed<TEdit>(form, "other");
        other->SetParent(form);
        other->SetTop(40);
    }
    void TearDown() override { form->Free(); }
    TForm* form = nullptr;
    TSpinEdit* spin = nullptr;
    TEdit* other = nullptr;
};

TEST_F(SpinFixture, ValueReadsTheTextByTheClassicRules) {
    const struct {
        int Min, Max;
        const char* Text;
        int Value;
    } cases[] = {
        {0, 0, "42", 42},     {0, 0, "-7", -7},       {0, 0, "", 0},         {5, 5, "1234", 1234},  // equal bounds: no limit
        {1, 12, "", 1},       {1, 12, "abc", 1},      {1, 12, "13", 12},     {1, 12, "-3", 1},
        {1, 12, " 7 ", 7},    {-10, 10, "+4", 4},     {1, 12, "1.5", 1},     {0, 0, "99999999999", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Text) + " in " + std::to_string(c.Min) + ".." + std::to_string(c.Max));
        spin->SetMinValue(c.Min);
        spin->SetMaxValue(c.Max);
        spin->SetTextValue(c.Text);
        EXPECT_EQ(spin->Value(), c.Value);
        EXPECT_EQ(spin->Text(), c.Text);  // reading changes nothing
    }
}

TEST_F(SpinFixture, SettingValueWritesTheClampedNumber) {
    const struct {
        int Min, Max, Set;
        const char* Text;
    } cases[] = {{0, 0, -5, "-5"}, {1, 12, 0, "1"}, {1, 12, 20, "12"}, {1, 12, 6, "6"}, {3, 3, 99, "99"}};
    int changes = 0;
    spin->OnChange = [&](TObject*) { ++changes; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Set);
        spin->SetMinValue(c.Min);
        spin->SetMaxValue(c.Max);
        spin->SetValue(c.Set);
        EXPECT_EQ(spin->Text(), c.Text);
    }
    EXPECT_EQ(changes, 5);
    // By name, as form resources and option strings set it.
    spin->setProperty("MinValue", 1);
    spin->setProperty("MaxValue", 12);
    spin->setProperty("Value", 40);
    EXPECT_EQ(spin->property("Value").toInt(), 12);
    EXPECT_EQ(spin->property("Text").toString(), "12");
}

TEST_F(SpinFixture, LeavingRewritesANumberOutsideTheRangeButKeepsBlankText) {
    spin->SetMinValue(1);
    spin->SetMaxValue(12);
    form->Show();
    const struct {
        const char* Typed;
        const char* AfterExit;
    } cases[] = {{"30", "12"}, {"-4", "1"}, {"7", "7"}, {"", ""}, {"x", "x"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        spin->SetFocus();
        spin->SetTextValue(c.Typed);
        other->SetFocus();
        EXPECT_EQ(spin->Text(), c.AfterExit);
    }
}

TEST_F(SpinFixture, ButtonsAndArrowKeysStepByIncrementWithinTheRange) {
    spin->SetMinValue(0);
    spin->SetMaxValue(10);
    spin->SetIncrement(4);
    spin->SetValue(5);
    form->Show();
    spin->SetFocus();
    spin->UpButton()->click();
    EXPECT_EQ(spin->Value(), 9);
    SendKey(spin->Handle(), Qt::Key_Up);
    EXPECT_EQ(spin->Value(), 10);
    SendKey(spin->Handle(), Qt::Key_Down);
    spin->DownButton()->click();
    spin->DownButton()->click();
    EXPECT_EQ(spin->Text(), "0");
    // Blank text counts as MinValue when stepping.
    spin->SetTextValue("");
    spin->UpClick();
    EXPECT_EQ(spin->Text(), "4");
    spin->SetReadOnly(true);
    spin->UpClick();
    SendKey(spin->Handle(), Qt::Key_Up);
    EXPECT_EQ(spin->Text(), "4");
    // Unlimited: no wrap-around at the end of the integers.
    spin->SetReadOnly(false);
    spin->SetMinValue(0);
    spin->SetMaxValue(0);
    spin->SetValue(INT_MAX - 1);
    spin->UpClick();
    EXPECT_EQ(spin->Value(), INT_MAX);
}

TEST_F(SpinFixture, OnlyDigitsSignsAndControlCharactersCanBeTyped) {
    form->Show();
    spin->SetFocus();
    spin->SetTextValue("");
    TypeText(spin->Handle(), "1a2-b+3");
    // Signs anywhere stay possible: a descendant may repair them on change.
    EXPECT_EQ(spin->Text(), "12-+3");
    SendKey(spin->Handle(), Qt::Key_Backspace, "\b");
    EXPECT_EQ(spin->Text(), "12-+");
    // With the editor closed nothing can be typed or deleted; the buttons work.
    spin->SetTextValue("5");
    spin->SetEditorEnabled(false);
    spin->LineEdit()->setCursorPosition(1);
    TypeText(spin->Handle(), "9");
    SendKey(spin->Handle(), Qt::Key_Backspace, "\b");
    spin->LineEdit()->setCursorPosition(0);
    SendKey(spin->Handle(), Qt::Key_Delete);
    EXPECT_EQ(spin->Text(), "5");
    spin->UpClick();
    EXPECT_EQ(spin->Text(), "6");
}

TEST_F(SpinFixture, EnterReachesTheFormsDefaultButton) {
    auto* ok = CreateNamed<TButton>(form, "ok");
    ok->SetParent(form);
    ok->SetTop(80);
    ok->SetDefault(true);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    form->Show();
    spin->SetFocus();
    SendKey(spin->Handle(), Qt::Key_Return, "\r");
    EXPECT_EQ(clicks, 1);
}

TEST_F(SpinFixture, PublishesItsPropertiesByName) {
    for (const char* name : {"Value", "MinValue", "MaxValue", "Increment", "EditorEnabled", "Text", "MaxLength",
                             "ReadOnly", "ImeName", "OnChange", "OnExit", "TabOrder"})
        EXPECT_GE(spin->metaObject()->indexOfProperty(name), 0) << name;
    spin->setProperty("MaxLength", 3);
    spin->SetTextValue("12345");
    EXPECT_EQ(spin->Text(), "123");
    EXPECT_EQ(spin->property("Increment").toInt(), 1);
    EXPECT_TRUE(spin->property("EditorEnabled").toBool());
    EXPECT_TRUE(spin->InheritsFrom("TCustomEdit"));
}

}  // namespace
}  // namespace kv
