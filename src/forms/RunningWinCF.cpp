#include "forms/RunningWinCF.h"

#include "platform/ComCtrls.h"
#include "platform/StdCtrls.h"

namespace kv {

TfrmRunningWinC::TfrmRunningWinC(TComponent* AOwner) : TKVForm(AOwner) {
    SetName(QStringLiteral("frmRunningWinC"));
    SetBorderStyle(bsNone);
    SetClientWidth(158);
    SetClientHeight(51);
    SetColor(clAqua);
    SetPosition(poOwnerFormCenter);
    SetCaption(QStringLiteral("报表开启中，请稍候..."));

    Label1 = CreateNamed<TLabel>(this, QStringLiteral("Label1"));
    Label1->SetParent(this);
    Label1->SetLeft(12);
    Label1->SetTop(30);
    Label1->SetCaption(QStringLiteral("报表开启中，请稍候..."));
    Label1->Font()->SetName(QStringLiteral("宋体"));
    Label1->Font()->SetHeight(-13);
    Label1->Font()->SetColor(clRed);

    Animate1 = CreateNamed<TAnimate>(this, QStringLiteral("Animate1"));
    Animate1->SetParent(this);
    Animate1->SetBounds(68, 8, 16, 16);
    Animate1->SetCommonAVI(aviFindFile);
    Animate1->SetStopFrame(8);
    Animate1->SetActive(false);
}

void TfrmRunningWinC::SetRunning(bool Active) { Animate1->SetActive(Active); }

}  // namespace kv
