#include "runtime/CodeConverter.h"

#include <QMetaProperty>
#include <QVariant>

#include "language/TranslatorU.h"
#include "platform/CodePage.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Grids.h"
#include "platform/Menus.h"
#include "platform/StdCtrls.h"
#include "runtime/VornikINI.h"

namespace kv {

namespace {

QMetaProperty FindProperty(const QObject* object, const char* name) {
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty(name);
    return index < 0 ? QMetaProperty() : meta->property(index);
}

bool IsStringProperty(const QMetaProperty& p) {
    return p.isValid() && p.isReadable() && p.isWritable() && p.metaType() == QMetaType::fromType<QString>();
}

// The object a class-typed property holds when the property is of class T.
template <class T>
T* ObjectProperty(QObject* object, const char* name) {
    const QMetaProperty p = FindProperty(object, name);
    if (!p.isValid() || !p.isReadable()) return nullptr;
    const QMetaObject* meta = p.metaType().metaObject();
    if (!(p.metaType().flags() & QMetaType::PointerToQObject) || !meta || !meta->inherits(&T::staticMetaObject))
        return nullptr;
    return qobject_cast<T*>(p.read(object).value<QObject*>());
}

// Runs change and puts the object's selected item back when the change moved or
// lost it (list controls rebuild themselves when their items or style change).
template <class Change>
void KeepingItemIndex(QObject* object, Change change) {
    const QMetaProperty p = FindProperty(object, "ItemIndex");
    const bool has = p.isValid() && p.isWritable() && p.metaType() == QMetaType::fromType<int>();
    const int before = has ? p.read(object).toInt() : -1;
    change();
    if (has && before >= 0 && p.read(object).toInt() != before) p.write(object, before);
}

// The code pages a single-byte text of the kind comes from and goes to.
int SourceCodePage(int kind) { return kind == ckGBToBig5 ? 936 : 950; }
int TargetCodePage(int kind) { return kind == ckGBToBig5 ? 950 : 936; }

}  // namespace

TCodeConverter::TCodeConverter(TComponent* AOwner, TDesignType designType)
    : TComponent(AOwner), FDesignType(designType) {
    LoadSettings();
    // Database conversion needs the library as much as interface conversion: an
    // installation with a Big5 database and a GB interface converts at the
    // server boundary even where the forms stay as they are.
    bool needsTranslator = FUIConvertKind != ckNone;
#if KV_EDITION >= 9
    needsTranslator = needsTranslator || IsConvertingKind(FDBConvertKind);
#endif
    if (needsTranslator) FTranslator = std::make_unique<TTranslator>();
}

TCodeConverter::~TCodeConverter() = default;

void TCodeConverter::LoadSettings() {
    const auto copy = [this](const TVornikIni& ini) {
        FSystemCodePage = ini.SystemCodePage();
        FUICodePage = ini.UICodePage();
        FDBCodePage = ini.DBCodePage();
        FUIConvertKind = ini.UIConvertKind();
        FDBConvertKind = ini.DBConvertKind();
    };
    if (FDesignType == dtServer)
        copy(TVornikIniS());
    else
        copy(TVornikIniC());
}

TTranslator& TCodeConverter::Translator() {
    // Present from construction whenever the configuration converts; an explicit
    // conversion elsewhere loads the library when it is first asked for.
    if (!FTranslator) FTranslator = std::make_unique<TTranslator>();
    return *FTranslator;
}

int TCodeConverter::ReverseKind(int kind) {
    if (kind == ckBig5ToGB) return ckGBToBig5;
    if (kind == ckGBToBig5) return ckBig5ToGB;
    return ckNone;
}

// ---- texts and values --------------------------------------------------------------

QString TCodeConverter::ConvertText(int kind, const QString& text) {
    if (!IsConvertingKind(kind) || text.isEmpty()) return text;
    return kind == ckBig5ToGB ? Translator().ToGB(text) : Translator().ToBig5(text);
}

QString TCodeConverter::Big5ToGB(const QString& text) { return ConvertText(ckBig5ToGB, text); }

QString TCodeConverter::GBToBig5(const QString& text) { return ConvertText(ckGBToBig5, text); }

Variant TCodeConverter::ConvertValue(int kind, const Variant& value) {
    if (!IsConvertingKind(kind) || value.IsEmpty() || value.IsNull()) return value;
    return value.IsArray() ? ConvertArray(kind, value) : ConvertScalar(kind, value);
}

Variant TCodeConverter::ConvertArray(int kind, const Variant& value) {
    Variant result = value;
    if (result.DimCount() != 1 && result.DimCount() != 2) return result;
    // Nested arrays are converted in both shapes; numbers, dates and Null
    // elements keep their type.
    for (Variant& element : result.Elements()) element = ConvertValue(kind, element);
    return result;
}

Variant TCodeConverter::ConvertScalar(int kind, const Variant& value) {
    switch (value.Type()) {
    case VarType::String: {
        const QString text = QString::fromStdString(value.ToString());
        return Variant(ConvertText(kind, text).toStdString());
    }
    case VarType::Bytes: return Variant::Bytes(ConvertBytes(kind, value.ToString()));
    default: return value;
    }
}

std::string TCodeConverter::ConvertBytes(int kind, const std::string& bytes) {
    // Single-byte text stays single-byte: GB bytes come back as Big5 bytes and
    // the reverse.
    std::string utf8;
    if (!CodePageToUnicode(bytes, SourceCodePage(kind), utf8))
        throw ECodeConvertError("the text is not valid in code page " + std::to_string(SourceCodePage(kind)));
    const QString converted = ConvertText(kind, QString::fromStdString(utf8));
    std::string result;
    if (!UnicodeToCodePage(converted.toStdString(), TargetCodePage(kind), result))
        throw ECodeConvertError("the converted text has no form in code page " +
                                std::to_string(TargetCodePage(kind)));
    return result;
}

Variant TCodeConverter::ConvertOrKeep(int kind, const Variant& value) {
    try {
        return ConvertValue(kind, value);
    } catch (const std::exception&) {
        return value;
    }
}

#if KV_EDITION >= 9
Variant TCodeConverter::FromServer(const Variant& value) { return ConvertValue(FDBConvertKind, value); }

Variant TCodeConverter::ToServer(const Variant& value) { return ConvertOrKeep(ReverseKind(FDBConvertKind), value); }

Variant TCodeConverter::ToInterface(const Variant& value) { return ConvertValue(FUIConvertKind, value); }
#endif

Variant TCodeConverter::FromInterface(const Variant& value) {
    return ConvertOrKeep(ReverseKind(FUIConvertKind), value);
}

// ---- fonts ----------------------------------------------------------------------------

int TCodeConverter::CharsetOfKind(int kind) {
    return kind == ckGBToBig5 || kind == ckBig5Font ? CHINESEBIG5_CHARSET : GB2312_CHARSET;
}

void TCodeConverter::SetConvertFont(int kind, TFont* font) {
    if (!font) return;
    font->SetName(QString::fromLatin1(kConvertFontName));
    font->SetCharset(CharsetOfKind(kind));
}

void TCodeConverter::ConvertScreenFonts() {
    SetConvertFont(FUIConvertKind, Screen()->IconFont());
    SetConvertFont(FUIConvertKind, Screen()->HintFont());
    SetConvertFont(FUIConvertKind, Screen()->MenuFont());
    // Hint windows take the new font when hints are switched off and on again;
    // an application that shows no hints keeps it that way.
    if (Application()->ShowHint()) {
        Application()->SetShowHint(false);
        Application()->SetShowHint(true);
    }
}

// ---- whole forms ----------------------------------------------------------------------

void TCodeConverter::ConvertForm(TForm* form) {
    if (!form || FUIConvertKind == ckNone) return;
    // The title bar is drawn by the system, in its own code page.
    if (FSystemCodePage == QLatin1String("950")) form->SetCaption(ConvertText(ckGBToBig5, form->Caption()));
    ConvertStringProperty(form, "Hint");
    ConvertStringProperty(form, "ButtonHint");
    ConvertScreenFonts();
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* component = form->Components(i);
        ConvertPublishedProperties(component);
        ConvertByClass(component);
    }
}

void TCodeConverter::ConvertPublishedProperties(TComponent* component) {
    ConvertFontProperty(component, "Font");
    ConvertFontProperty(component, "TitleFont");
    ConvertStringProperty(component, "Caption");
    ConvertStringProperty(component, "Hint");
    ConvertStringProperty(component, "ButtonHint");
    KeepingItemIndex(component, [&] { ConvertStringsProperty(component, "Items"); });
    ConvertStringsProperty(component, "Lines");
    ConvertStringProperty(component, "Text");
    SwitchStyleToOwnerDraw(component);
}

bool TCodeConverter::ConvertStringProperty(QObject* object, const char* name) {
    const QMetaProperty p = FindProperty(object, name);
    if (!IsStringProperty(p)) return false;
    const QString text = p.read(object).toString();
    const QString converted = ConvertText(FUIConvertKind, text);
    // Unchanged texts are not written back: writing raises change events.
    if (converted != text) p.write(object, converted);
    return true;
}

bool TCodeConverter::ConvertStringsProperty(QObject* object, const char* name) {
    TStrings* lines = ObjectProperty<TStrings>(object, name);
    if (lines) ConvertStrings(lines);
    return lines != nullptr;
}

void TCodeConverter::ConvertStrings(TStrings* lines) {
    if (!lines || lines->Count() == 0) return;
    // The whole list in one call; the lines are put back one by one so that the
    // objects attached to them stay.
    const QString text = lines->Text();
    const QString converted = ConvertText(FUIConvertKind, text);
    if (converted == text) return;
    TStringList result;
    result.SetText(converted);
    lines->BeginUpdate();
    for (int i = 0; i < lines->Count(); ++i) {
        const QString line =
            result.Count() == lines->Count() ? result[i] : ConvertText(FUIConvertKind, lines->Strings(i));
        if (line != lines->Strings(i)) lines->Put(i, line);
    }
    lines->EndUpdate();
}

void TCodeConverter::ConvertFontProperty(QObject* object, const char* name) {
    SetConvertFont(FUIConvertKind, ObjectProperty<TFont>(object, name));
}

void TCodeConverter::SwitchStyleToOwnerDraw(QObject* object) {
    const QMetaProperty p = FindProperty(object, "Style");
    if (!p.isValid() || !p.isReadable() || !p.isWritable()) return;
    QVariant style;
    if (p.metaType() == QMetaType::fromType<TComboBoxStyle>()) {
        const auto current = p.read(object).value<TComboBoxStyle>();
        if (current == csDropDown) style = QVariant::fromValue(csOwnerDrawVariable);
        if (current == csDropDownList) style = QVariant::fromValue(csOwnerDrawFixed);
    } else if (p.metaType() == QMetaType::fromType<TListBoxStyle>()) {
        if (p.read(object).value<TListBoxStyle>() == lbStandard) style = QVariant::fromValue(lbOwnerDrawFixed);
    }
    if (style.isValid()) KeepingItemIndex(object, [&] { p.write(object, style); });
}

void TCodeConverter::ConvertByClass(TComponent* component) {
    if (IsConvertingKind(FUIConvertKind)) {
        if (auto* listView = dynamic_cast<TListView*>(component)) ConvertListView(listView);
        if (auto* grid = dynamic_cast<TStringGrid*>(component)) ConvertStringGrid(grid);
        if (auto* convertible = dynamic_cast<ITextConvertible*>(component))
            convertible->ConvertTexts([this](const QString& text) { return ConvertText(FUIConvertKind, text); });
        if (auto* combo = dynamic_cast<TCustomComboBox*>(component)) SwitchComboToOwnerDrawList(combo);
    }
    if (auto* menu = dynamic_cast<TMenu*>(component)) menu->SetOwnerDraw(true);
}

void TCodeConverter::SwitchComboToOwnerDrawList(TCustomComboBox* combo) {
    if (combo->Style() == csSimple) return;
    KeepingItemIndex(combo, [&] { combo->SetStyle(csOwnerDrawFixed); });
    // A list without an edit part shows nothing when nothing is selected.
    if (combo->Items()->Count() > 0 && combo->ItemIndex() < 0) combo->SetItemIndex(0);
}

void TCodeConverter::ConvertListView(TListView* listView) {
    TListColumns* columns = listView->Columns();
    for (int i = 0; i < columns->Count(); ++i) {
        TListColumn* column = columns->Items(i);
        const QString caption = ConvertText(FUIConvertKind, column->Caption());
        if (caption != column->Caption()) column->SetCaption(caption);
    }
    TListItems* items = listView->Items();
    items->BeginUpdate();
    for (int i = 0; i < items->Count(); ++i) {
        TListItem* item = items->Item(i);
        const QString caption = ConvertText(FUIConvertKind, item->Caption());
        if (caption != item->Caption()) item->SetCaption(caption);
        ConvertStrings(item->SubItems());
    }
    items->EndUpdate();
}

void TCodeConverter::ConvertStringGrid(TStringGrid* grid) {
    for (int row = 0; row < grid->RowCount(); ++row) {
        for (int col = 0; col < grid->ColCount(); ++col) {
            const QString cell = grid->Cells(col, row);
            const QString converted = ConvertText(FUIConvertKind, cell);
            if (converted != cell) grid->SetCells(col, row, converted);
        }
    }
}

// ---- message dialogs -------------------------------------------------------------------

TModalResult TCodeConverter::ShowMessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    if (text.isEmpty()) return mrNone;
    // GB message boxes carry six trailing blanks, which keep them as wide as the
    // product has always shown them.
    const bool gb = FUICodePage == QLatin1String("936") || FSystemCodePage == QLatin1String("936");
    const std::unique_ptr<TForm> dialog(CreateMessageDialog(gb ? text + QStringLiteral("      ") : text, type, buttons));
    if (auto* ownerForm = dynamic_cast<TForm*>(Owner())) {
        if (ownerForm->WindowState() == wsMinimized) ownerForm->SetWindowState(wsNormal);
        dialog->SetCaption(ownerForm->Caption());
    }
    SetConvertFont(FUIConvertKind, dialog->Font());
    return dialog->ShowModal();
}

}  // namespace kv
