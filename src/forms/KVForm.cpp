#include "forms/KVForm.h"

#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>

#include "language/LanguageController.h"
#include "language/LibRTTI.h"
#include "platform/Buttons.h"
#include "runtime/CodeConverter.h"

namespace kv {

namespace {

QString BareName(const QMetaObject* meta) {
    QString name = QString::fromLatin1(meta->className());
    const qsizetype colon = name.lastIndexOf(QLatin1Char(':'));
    return colon >= 0 ? name.mid(colon + 1) : name;
}

#if KV_EDITION >= 9
// A glyph button whose glyph has one cell gets the two-state glyph.
void TwoStateIfSingle(TComponent* c) {
    TBitmap* glyph = nullptr;
    int cells = 0;
    if (auto* speed = qobject_cast<TSpeedButton*>(c)) {
        glyph = speed->Glyph();
        cells = speed->NumGlyphs();
        if (glyph && !glyph->Empty() && cells == 1) {
            MakeTwoStateGlyph(*glyph);
            speed->SetNumGlyphs(2);
        }
    } else if (auto* bit = qobject_cast<TBitBtn*>(c)) {
        glyph = bit->Glyph();
        cells = bit->NumGlyphs();
        if (glyph && !glyph->Empty() && cells == 1) {
            MakeTwoStateGlyph(*glyph);
            bit->SetNumGlyphs(2);
        }
    }
}
#endif

}  // namespace

void DisabledImage(TBitmap& source, TBitmap& result) {
    source.SetPixelFormat(pf24bit);
    const TColor t = source.TransparentColor();
    const int w = source.Width();
    const int h = source.Height();
    result.SetSize(w, h);
    if (w == 0 || h == 0) return;
    // The marks start white, not in the transparent colour: with a black
    // transparent colour the mask would otherwise be black everywhere and the
    // whole disabled image solid shadow.
    TBitmap marks;
    marks.SetSize(w, h);
    marks.Canvas()->Brush()->SetColor(clWhite);
    marks.Canvas()->FillRect(Rect(0, 0, w, h));
    auto transparentAt = [&](int x, int y) {
        return source.Pixels(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1)) == t;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (transparentAt(x, y)) continue;
            const QColor c = ColorToQColor(source.Pixels(x, y));
            const bool dark = c.red() + c.green() + c.blue() < 384;
            const bool edge = transparentAt(x, y - 1) || transparentAt(x, y + 1) || transparentAt(x - 1, y) ||
                              transparentAt(x + 1, y);
            if (dark || edge) marks.SetPixels(x, y, clBlack);
        }
    TBitmap mask;
    mask.Assign(&marks);
    mask.SetMonochrome(true);
    TCanvas* canvas = result.Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(Rect(0, 0, w, h));
    canvas->Brush()->SetColor(clBtnHighlight);
    canvas->DrawMaskedBrush(1, 1, &mask);
    canvas->Brush()->SetColor(clBtnShadow);
    canvas->DrawMaskedBrush(0, 0, &mask);
}

void MakeTwoStateGlyph(TBitmap& glyph) {
    TBitmap disabled;
    TBitmap copy;
    DisabledImage(glyph, disabled);
    copy.Assign(&glyph);
    const TColor t = glyph.TransparentColor();
    glyph.SetWidth(glyph.Width() * 2);
    glyph.Canvas()->Brush()->SetColor(t);
    glyph.Canvas()->FillRect(Rect(0, 0, glyph.Width(), glyph.Height()));
    glyph.Canvas()->Draw(0, 0, &copy);
    glyph.Canvas()->Draw(disabled.Width(), 0, &disabled);
}

TKVForm::TKVForm(TComponent* AOwner) : TForm(AOwner) {
    KvConverter = new TCodeConverter(this, dtClient);
    KvConverter->SetName(QStringLiteral("KvConverter"));
    LangController = new TKvLangController(this);
    LangController->SetName(QStringLiteral("LangController"));
    Font()->SetName(QStringLiteral("宋体"));
    Font()->SetHeight(-13);
    SetKeyPreview(true);
    SetPosition(poScreenCenter);
    Scaled = false;
    SetShowHint(true);
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnShow = [this](TObject* sender) { FormShow(sender); };
}

void TKVForm::FormCreate(TObject*) {
    TextsConverted = false;
    TranslateOnShow = true;
    PrepareComponents();
}

void TKVForm::PrepareComponents() {
    const bool englishFonts = GetUICodePage() == QLatin1String("437");
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (HasProperty(c, QStringLiteral("ImeName"))) SetStrPropByName(c, QStringLiteral("ImeName"), QString());
        if (englishFonts)
            if (auto* font = qobject_cast<TFont*>(GetObjectPropByName(c, QStringLiteral("Font")))) {
                font->SetCharset(GB2312_CHARSET);
                font->SetName(QStringLiteral("Tahoma"));
            }
#if KV_EDITION >= 9
        TwoStateIfSingle(c);
        // Composite components (selection panels, button edits) own their
        // embedded glyph buttons.
        for (int k = 0; k < c->ComponentCount(); ++k) TwoStateIfSingle(c->Components(k));
#endif
    }
}

void TKVForm::FormShow(TObject*) {
    if (TranslateOnShow) TranslateForm(true);
}

void TKVForm::ConvertTexts() {
    if (TextsConverted) return;
    KvConverter->ConvertForm(this);
    TextsConverted = true;
}

TModalResult TKVForm::ShowMessageDialog(const QString& Text, TMsgDlgType DialogType, TMsgDlgButtons Buttons) {
    return KvConverter->ShowMessageDialog(Text, DialogType, Buttons);
}

QString TKVForm::GetSystemCodePage() const { return KvConverter->SystemCodePage(); }
QString TKVForm::GetUICodePage() const { return KvConverter->UICodePage(); }
bool TKVForm::IsUIConverting() const { return KvConverter->UIConvertKind() != 0; }
bool TKVForm::IsDBConverting() const { return KvConverter->DBConvertKind() != 0; }

void TKVForm::TranslateForm(bool WithAncestors) { ApplyLanguage(this, WithAncestors); }

QStringList TKVForm::LanguagePackages(TComponent* target, bool withAncestors, const char* stopClass) const {
    QStringList names;
    if (!target) return names;
    if (!withAncestors) return {BareName(target->metaObject())};
    for (const QMetaObject* m = target->metaObject(); m; m = m->superClass()) {
        const QString name = BareName(m);
        if (name == QLatin1String("TForm")) break;
        names.prepend(name);
        if (stopClass && name == QLatin1String(stopClass)) {
            names.removeFirst();
            break;
        }
    }
    return names;
}

void TKVForm::ApplyPackages(TComponent* target, const QStringList& packages) {
    for (const QString& name : packages) {
        LangController->SetLangPackageName(name);
        if (!LangController->LangFileExists()) continue;
        LangController->SetActive(true);
        LangController->Reader().ReadComponent(target);
    }
}

void TKVForm::ApplyLanguage(TComponent* Target, bool WithAncestors) {
    ApplyPackages(Target, LanguagePackages(Target, WithAncestors, nullptr));
}

void TKVForm::ApplyLanguageBelowBase(TComponent* Target, bool WithAncestors) {
    ApplyPackages(Target, LanguagePackages(Target, WithAncestors, "TKVForm"));
}

void TKVForm::GetLangText(const QString& Section, const QString& Key, QString& Text, bool Convert,
                          const QString& Default) {
    const QString fallback = Convert ? KvConverter->ConvertText(KvConverter->UIConvertKind(), Default) : Default;
    Text = GetLangMessage(LangController->DesignType() == dtServer, Section, Key, fallback);
}

}  // namespace kv
