#include "components/KvSpin.h"

namespace kv {

namespace {

bool IsSign(QChar c) { return c == QLatin1Char('+') || c == QLatin1Char('-'); }

}  // namespace

QString WithoutInnerSigns(const QString& text) {
    QString result = text.left(1);
    for (qsizetype i = 1; i < text.size(); ++i)
        if (!IsSign(text[i])) result += text[i];
    return result;
}

void TKvSpinEdit::Change() {
    const QString text = Text();
    const QString repaired = WithoutInnerSigns(text);
    if (repaired != text) {
        // The caret stays where the sign was typed, less the signs taken out
        // before it.
        const int caret = SelStart();
        const int removedBefore = caret - static_cast<int>(WithoutInnerSigns(text.left(caret)).size());
        // Setting the repaired text runs this notification again, which reports it.
        SetTextValue(repaired);
        SetSelStart(caret - removedBefore);
        return;
    }
    if (!text.trimmed().isEmpty()) TSpinEdit::Change();
}

}  // namespace kv
