// The small borderless notice shown while a report is being opened.
#pragma once

#include "forms/KVForm.h"

namespace kv {

class TLabel;
class TAnimate;

class TfrmRunningWinC : public TKVForm {
    Q_OBJECT
public:
    explicit TfrmRunningWinC(TComponent* AOwner);

    // Starts or stops the busy animation.
    void SetRunning(bool Active);

    TLabel* Label1 = nullptr;
    TAnimate* Animate1 = nullptr;
};

}  // namespace kv
