#include "components/GSpdBtn.h"

#include <QImage>

#include <stdexcept>
#include <utility>

#include "Pictolib.h"
#include "platform/Dialogs.h"

namespace kv {

namespace {

const QString kGlyphReadError = QStringLiteral("读取 BMP 发生错误");

TGlyphSource Completed(TGlyphSource source) {
    if (!source.MaxId) source.MaxId = [] { return GetMaxBmpID(); };
    if (!source.Load) source.Load = [](QImage& bitmap, int number) { return LoadBmp(bitmap, number); };
    return source;
}

TGlyphSource& CurrentGlyphSource() {
    static TGlyphSource source = Completed({});
    return source;
}

}  // namespace

TGlyphSource SetGlyphSource(TGlyphSource source) {
    return std::exchange(CurrentGlyphSource(), Completed(std::move(source)));
}

TGSpeedButton::TGSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

void TGSpeedButton::SetGlyphIndex(int index) {
    if (index == FGlyphIndex) return;
    FGlyphIndex = index;
    SetCaption(QString::number(index));
    try {
        if (LoadLibraryGlyph(index)) SetCaption(QString());
    } catch (const std::exception&) {
        DiscardGlyph();
        MessageDlg(kGlyphReadError, mtError, MsgDlgButton(mbOK));
    }
}

bool TGSpeedButton::LoadLibraryGlyph(int index) {
    const TGlyphSource& source = CurrentGlyphSource();
    QImage strip;
    // A number the library has no picture for must not keep the previous one:
    // the button would show a glyph that is not the one it names.
    if (index == 0 || index > source.MaxId() || !source.Load(strip, index)) {
        DiscardGlyph();
        return false;
    }
    if (strip.isNull() || strip.width() <= 0 || strip.height() <= 0)
        throw std::runtime_error("the glyph library returned an empty picture");
    TBitmap picture;
    picture.FromQImage(strip);
    SetGlyph(&picture);
    SetNumGlyphs(strip.width() / strip.height());
    return true;
}

void TGSpeedButton::DiscardGlyph() { SetGlyph(nullptr); }

}  // namespace kv
