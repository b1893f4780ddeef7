// One form with the input components together, saved for a look at how they sit
// beside each other: three selection panels, a radio group, check boxes in all
// three states, a spin edit, a labelled edit and the self-drawn page control.
#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "components/BtChkBox.h"
#include "components/ExtPage.h"
#include "components/KvRadioGroup.h"
#include "components/KvSpin.h"
#include "components/SelectPnl.h"
#if KV_EDITION >= 9
#include "components/KvnEdit.h"
#endif
#include "platform/Forms.h"

namespace kv {
namespace {

TEST(ComponentsShowcase, InputComponentsOnOnePage) {
    auto* form = TForm::Create<TForm>(nullptr);
    form->SetCaption(QStringLiteral("薪资明细表"));
    form->SetBounds(0, 0, 600, 330);
    auto* pages = CreateNamed<TExtPageControl>(form, "pgOption");
    pages->SetParent(form);
    pages->SetBounds(6, 6, 588, 318);
    auto* page = CreateNamed<TTabSheet>(form, "tsCondition");
    page->SetPageControl(pages);
    page->SetCaption(QStringLiteral("条件选项"));
    auto* system = CreateNamed<TTabSheet>(form, "tsSystem");
    system->SetPageControl(pages);
    system->SetCaption(QStringLiteral("系统选项"));
    pages->SetActivePage(page);

    auto* range = CreateNamed<TSelectPanel>(form, "sp01");
    range->SetParent(page);
    range->SetCaption(QStringLiteral("选择公司"));
    range->SetBounds(8, 8, 353, 45);
    range->BeginEdit()->SetTextValue("C01");
    range->EndEdit()->SetTextValue("C09");
    auto* list = CreateNamed<TSelectPanel>(form, "sp02");
    list->SetParent(page);
    list->SetCaption(QStringLiteral("选择部门编号"));
    list->SetStyle(sp_Discrete);
    list->SetBounds(8, 60, 220, 105);
    list->ListView()->AddRow({"D01", QStringLiteral("总务部")});
    list->ListView()->AddRow({"D02", QStringLiteral("财务部")});
    auto* choice = CreateNamed<TSelectPanel>(form, "sp03");
    choice->SetParent(page);
    choice->SetCaption(QStringLiteral("选择员工编号"));
    choice->SetStyle(sp_UserChoice);
    choice->SetBounds(370, 8, 200, 116);
    choice->SetUserChoice(true);
    choice->BeginEdit()->SetTextValue("E0001");

    auto* group = CreateNamed<TKvRadioGroup>(form, "rg04");
    group->SetParent(page);
    group->SetBounds(240, 130, 330, 50);
    group->SetCaption(QStringLiteral("报表格式"));
    group->SetColumns(2);
    group->Items()->SetCommaText(QStringLiteral("简要,明细"));
    group->SetItemIndex(0);
    const TCheckBoxState states[] = {cbUnchecked, cbChecked, cbGrayed};
    const char* captions[] = {"不含离职", "含离职", "部分离职"};
    for (int i = 0; i < 3; ++i) {
        auto* box = CreateNamed<TMavCheckBox>(form, QStringLiteral("chk%1").arg(i));
        box->SetParent(page);
        box->SetBounds(8, 175 + 22 * i, 120, 17);
        box->SetAllowGrayed(true);
        box->SetCaption(QString::fromUtf8(captions[i]));
        box->SetState(states[i]);
    }
    auto* spin = CreateNamed<TKvSpinEdit>(form, "seDay");
    spin->SetParent(page);
    spin->SetBounds(150, 175, 60, 21);
    spin->SetTextValue("15");
#if KV_EDITION >= 9
    auto* payYm = CreateNamed<TKvEdit>(form, "edPayYm");
    payYm->SetParent(page);
    payYm->SetBounds(330, 200, 90, 21);
    payYm->SetCaption(QStringLiteral("发薪年月"));
    payYm->SetTextValue("200403");
#endif
    form->Show();
    QApplication::processEvents();
    const QImage shot = form->Handle()->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const QString dir = QString::fromStdString(test::BinDir()) + "/../screenshots";
    QDir().mkpath(dir);
    EXPECT_TRUE(shot.save(dir + "/components.png"));
    // Everything is on the visible page, inside the form.
    for (TControl* c : std::initializer_list<TControl*>{range, list, choice, group, spin})
        EXPECT_TRUE(QRect(QPoint(0, 0), page->Handle()->size()).contains(c->BoundsRect())) << c->Name().toStdString();
    EXPECT_EQ(list->ListView()->Items()->Count(), 2);
    form->Free();
}

}  // namespace
}  // namespace kv
