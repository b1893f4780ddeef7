// The option forms' spin edit: a sign typed anywhere but in front is taken out
// again (the digits around it stay), and a blank text raises no change.
#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <vector>

#include "components/KvSpin.h"
#include "platform/Forms.h"

namespace kv {
namespace {

void TypeChar(QWidget* widget, QChar ch) {
    const auto key = static_cast<Qt::Key>(ch.unicode());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &release);
}

class KvSpinTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = TForm::Create<TForm>(nullptr);
        spin = CreateNamed<TKvSpinEdit>(form, "seSetDay1");
        spin->SetParent(form);
        spin->OnChange = [this](TObject* sender) {
            EXPECT_EQ(sender, spin);
            changes.push_back(spin->Text());
        };
    }
    void TearDown() override { form->Free(); }

    TForm* form = nullptr;
    TKvSpinEdit* spin = nullptr;
    std::vector<QString> changes;
};

TEST(WithoutInnerSigns, KeepsOnlyALeadingSign) {
    const struct {
        const char* Text;
        const char* Expected;
    } cases[] = {
        {"", ""},         {"-", "-"},       {"+", "+"},          {"-12", "-12"},  {"+12", "+12"},
        {"12+", "12"},    {"1-234", "1234"}, {"--5", "-5"},      {"+-5", "+5"},   {"1+2-3", "123"},
        {" -5", " 5"},    {"12", "12"},
    };
    for (const auto& c : cases) EXPECT_EQ(WithoutInnerSigns(c.Text), c.Expected) << c.Text;
}

TEST_F(KvSpinTest, TypedSignsAfterTheFirstPositionAreTakenOut) {
    const struct {
        const char* Name;
        const char* Before;
        int Caret;
        QChar Typed;
        const char* After;
        int CaretAfter;
    } cases[] = {
        {"+ after a digit", "12", 2, '+', "12", 2},
        {"- after a digit", "12", 2, '-', "12", 2},
        {"- between the digits keeps all of them", "1234", 1, '-', "1234", 1},
        {"+ between the digits", "1234", 3, '+', "1234", 3},
        {"a second leading sign", "-5", 1, '-', "-5", 1},
        {"a leading - stays", "5", 0, '-', "-5", 1},
        {"a leading + stays", "5", 0, '+', "+5", 1},
        {"a sign into an empty edit stays", "", 0, '-', "-", 1},
        {"a digit after the sign", "-", 1, '3', "-3", 2},
    };
    for (const auto& c : cases) {
        spin->SetTextValue(c.Before);
        spin->SetSelStart(c.Caret);
        changes.clear();
        TypeChar(spin->Handle(), c.Typed);
        EXPECT_EQ(spin->Text(), c.After) << c.Name;
        EXPECT_EQ(spin->SelStart(), c.CaretAfter) << c.Name;
        // One change, for the text the edit ends with: the one with the stray
        // sign is never reported.
        EXPECT_EQ(changes, std::vector<QString>{c.After}) << c.Name;
    }
}

TEST_F(KvSpinTest, SignsSetInTheMiddleByCodeAreTakenOutToo) {
    spin->SetTextValue("1+2-3");
    EXPECT_EQ(spin->Text(), "123");
    EXPECT_EQ(changes, std::vector<QString>{"123"});
    EXPECT_EQ(spin->Value(), 123);
}

TEST_F(KvSpinTest, ABlankTextRaisesNoChange) {
    spin->SetTextValue("15");
    changes.clear();
    // Typed away to nothing.
    spin->SetSelStart(2);
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(spin->Handle(), &back);
    EXPECT_EQ(changes, std::vector<QString>{"1"});
    QApplication::sendEvent(spin->Handle(), &back);
    EXPECT_EQ(spin->Text(), "");
    EXPECT_EQ(changes, std::vector<QString>{"1"});
    // Cleared or blanked by code.
    spin->SetTextValue("7");
    changes.clear();
    spin->Clear();
    spin->SetTextValue("   ");
    EXPECT_TRUE(changes.empty());
    spin->SetTextValue("8");
    EXPECT_EQ(changes, std::vector<QString>{"8"});
}

TEST_F(KvSpinTest, IsASpinEditByClassAndProperties) {
    EXPECT_EQ(spin->ClassName(), "TKvSpinEdit");
    EXPECT_TRUE(spin->InheritsFrom("TSpinEdit"));
    EXPECT_TRUE(spin->setProperty("MaxValue", 31));
    EXPECT_TRUE(spin->setProperty("MinValue", 1));
    EXPECT_TRUE(spin->setProperty("Value", 40));
    EXPECT_EQ(spin->Text(), "31");
    EXPECT_EQ(changes, std::vector<QString>{"31"});
}

}  // namespace
}  // namespace kv
