#include "components/ExtPage.h"

#include <QPainter>

namespace kv {

TExtPageControl::TExtPageControl(TComponent* AOwner) : TPageControl(AOwner) { SetOwnerDraw(true); }

void TExtPageControl::DrawTab(int tabIndex, const QRect& rect, bool active) {
    QPainter* canvas = Canvas();
    if (OnDrawTab || !canvas) {
        TPageControl::DrawTab(tabIndex, rect, active);
        return;
    }
    QRect face = active ? rect.adjusted(2, 2, -2, -2) : rect;
    canvas->fillRect(face, ColorToQColor(active ? clActiveCaption : clInactiveCaption));
    if (!active) face.setTop(face.top() + 2);
    QFont font = Font()->ToQFont();
    font.setBold(active);
    canvas->setFont(font);
    canvas->setPen(ColorToQColor(active ? clCaptionText : clInactiveCaptionText));
    if (const TTabSheet* page = PageForTab(tabIndex))
        canvas->drawText(face, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, page->Caption());
}

}  // namespace kv
