// The page control of the option dialogs: it draws its own tabs, the active one
// in the active-caption colours and bold, the others in the inactive-caption
// colours.
#pragma once

#include "platform/ComCtrls.h"

namespace kv {

class TExtPageControl : public TPageControl {
    Q_OBJECT
public:
    // Created with owner-drawn tabs.
    explicit TExtPageControl(TComponent* AOwner);

protected:
    // OnDrawTab when assigned; otherwise the caption of the page of that visible
    // tab, centred on one line.
    void DrawTab(int tabIndex, const QRect& rect, bool active) override;
};

}  // namespace kv
