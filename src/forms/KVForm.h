// The base of every window of the plug-in: converts its texts to the interface
// code page, translates itself from the language files of its class chain when
// shown, and gives single-glyph buttons a generated disabled image.
#pragma once

#include <QString>

#include "platform/Forms.h"
#include "platform/Graphics.h"

namespace kv {

class TCodeConverter;
class TKvLangController;

// The disabled look of a glyph: dark pixels and light pixels beside the
// transparent colour, embossed in highlight and shadow on the button face.
void DisabledImage(TBitmap& source, TBitmap& result);
// Turns a one-cell glyph into [normal | disabled], twice as wide.
void MakeTwoStateGlyph(TBitmap& glyph);

class TKVForm : public TForm {
    Q_OBJECT
public:
    explicit TKVForm(TComponent* AOwner);

    // Component 0 and 1 of every instance.
    TCodeConverter* KvConverter = nullptr;
    TKvLangController* LangController = nullptr;

    bool TextsConverted = false;
    bool TranslateOnShow = true;

    virtual void ApplyLanguage(TComponent* Target, bool WithAncestors);
    virtual void ApplyLanguageBelowBase(TComponent* Target, bool WithAncestors);

    // Converts every text of the form to the interface code page, once.
    void ConvertTexts();
    TModalResult ShowMessageDialog(const QString& Text, TMsgDlgType DialogType, TMsgDlgButtons Buttons);
    QString GetSystemCodePage() const;
    QString GetUICodePage() const;
    bool IsUIConverting() const;
    bool IsDBConverting() const;
    void TranslateForm(bool WithAncestors);
    // Key in the language file named Section, else Default (converted to the
    // interface code page first when Convert).
    void GetLangText(const QString& Section, const QString& Key, QString& Text, bool Convert,
                     const QString& Default);

public slots:
    // The creation and show handlers; descendants override and call these first.
    virtual void FormCreate(kv::TObject* Sender);
    virtual void FormShow(kv::TObject* Sender);

protected:
    // The class names from the most general below stopClass to this form's own.
    QStringList LanguagePackages(TComponent* target, bool withAncestors, const char* stopClass) const;
    void ApplyPackages(TComponent* target, const QStringList& packages);
    void PrepareComponents();
};

}  // namespace kv
