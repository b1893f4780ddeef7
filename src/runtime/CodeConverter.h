// The code-page converter every form owns. It reads the installation's code pages
// once, converts texts and nested arrays between GB (simplified) and Big5
// (traditional) through the translation library, converts a whole form once when
// it is created, picks fonts that can show the result, and shows message dialogs
// in that font. Texts exchanged with the application server follow the database
// setting; texts built into the program follow the interface setting.
#pragma once

#include <QString>

#include <memory>
#include <stdexcept>

#include "kv/Variant.h"
#include "platform/Classes.h"
#include "platform/TextConversion.h"
#include "platform/Types.h"

namespace kv {

class TFont;
class TForm;
class TCustomComboBox;
class TListView;
class TStringGrid;
class TStrings;
class TTranslator;

// Conversion kinds, the numbers the configuration derives (TVornikIni):
// 1 and 2 convert, 3 and 4 only choose the font's character set.
constexpr int ckNone = 0;
constexpr int ckBig5ToGB = 1;
constexpr int ckGBToBig5 = 2;
constexpr int ckBig5Font = 3;
constexpr int ckGBFont = 4;

// The face every converted font gets.
inline constexpr const char* kConvertFontName = "SimSun";

// A single-byte text that is not valid in the code page it is converted from,
// or whose result has no form in the code page it is converted to.
class ECodeConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TCodeConverter : public TComponent {
    Q_OBJECT
    Q_PROPERTY(kv::DesignEnums::TDesignType DesignType READ DesignType WRITE SetDesignType)
public:
    // Reads the client (or server) configuration and loads the translation
    // library when the configuration asks for GB/Big5 conversion; a missing or
    // incomplete library fails the construction (ETranslatorError).
    explicit TCodeConverter(TComponent* AOwner, TDesignType designType = dtClient);
    ~TCodeConverter() override;

    // The settings are read at construction only: setting this later (as a form
    // resource does) changes nothing else.
    TDesignType DesignType() const { return FDesignType; }
    void SetDesignType(TDesignType designType) { FDesignType = designType; }

    const QString& SystemCodePage() const { return FSystemCodePage; }
    const QString& UICodePage() const { return FUICodePage; }
    const QString& DBCodePage() const { return FDBCodePage; }
    int UIConvertKind() const { return FUIConvertKind; }
    int DBConvertKind() const { return FDBConvertKind; }
    bool HasTranslator() const { return FTranslator != nullptr; }

    // A copy of the value; with kind 1 (Big5 to GB) or 2 (GB to Big5) its texts
    // are converted: a text itself, or the texts of an array, nested arrays
    // included. Other values and elements keep their type and value. Conversion
    // errors reach the caller.
    Variant ConvertValue(int kind, const Variant& value);
    // One text with kind 1 or 2; other kinds give the text back.
    QString ConvertText(int kind, const QString& text);

#if KV_EDITION >= 9
    // A value from the server for the interface (database kind).
    Variant FromServer(const Variant& value);
    // A value for the server (the database kind reversed); on a conversion error
    // the value goes unchanged.
    Variant ToServer(const Variant& value);
    // A built-in GB text for the interface (interface kind).
    Variant ToInterface(const Variant& value);
#endif
    // A text from the interface back to GB (the interface kind reversed); on a
    // conversion error the value goes unchanged.
    Variant FromInterface(const Variant& value);

    QString Big5ToGB(const QString& text);
    QString GBToBig5(const QString& text);

    // Face "SimSun" and the character set that shows the kind's texts.
    static void SetConvertFont(int kind, TFont* font);
    // GB2312 (134) or Big5 (136) for the kind.
    static int CharsetOfKind(int kind);

    // Converts every text of the form and of the components it owns for the
    // interface, once, when the interface is converted at all.
    void ConvertForm(TForm* form);

    // A message box in the interface's font with the owning form's caption; mrNone
    // for an empty text.
    TModalResult ShowMessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);

private:
    void LoadSettings();
    // The kinds that turn texts into the other set.
    static bool IsConvertingKind(int kind) { return kind == ckBig5ToGB || kind == ckGBToBig5; }
    static int ReverseKind(int kind);
    TTranslator& Translator();
    Variant ConvertArray(int kind, const Variant& value);
    Variant ConvertScalar(int kind, const Variant& value);
    std::string ConvertBytes(int kind, const std::string& bytes);
    // The value converted with kind; unchanged when that fails.
    Variant ConvertOrKeep(int kind, const Variant& value);

    void ConvertScreenFonts();
    void ConvertPublishedProperties(TComponent* component);
    void ConvertByClass(TComponent* component);
    bool ConvertStringProperty(QObject* object, const char* name);
    bool ConvertStringsProperty(QObject* object, const char* name);
    void ConvertStrings(TStrings* lines);
    void ConvertListView(TListView* listView);
    void ConvertStringGrid(TStringGrid* grid);
    void SwitchComboToOwnerDrawList(TCustomComboBox* combo);
    void ConvertFontProperty(QObject* object, const char* name);
    void SwitchStyleToOwnerDraw(QObject* object);

    TDesignType FDesignType = dtClient;
    QString FSystemCodePage = QStringLiteral("936");
    QString FUICodePage = QStringLiteral("936");
    QString FDBCodePage = QStringLiteral("936");
    int FUIConvertKind = ckNone;
    int FDBConvertKind = ckNone;
    std::unique_ptr<TTranslator> FTranslator;
};

}  // namespace kv
