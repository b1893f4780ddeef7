#include "language/LanguageController.h"

#include <QPointer>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "language/LibRTTI.h"
#include "platform/CodePage.h"
#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "runtime/VornikINI.h"

namespace kv {

namespace {

constexpr const char* kNoActiveController = "No active LanguageController!";
constexpr const char* kCannotFindFile = "Cannot Find File %1!";

QString FromUtf8(const char* text) { return QString::fromUtf8(text); }

// ---- reading documents ------------------------------------------------------------

[[noreturn]] void ThrowParseError(pugi::xml_parse_status status) {
    pugi::xml_parse_result result;
    result.status = status;
    throw LanguageControllerError(result.description());
}

TLangDocument ParseBuffer(const std::string& bytes, pugi::xml_encoding encoding) {
    auto document = std::make_shared<pugi::xml_document>();
    const pugi::xml_parse_result result =
        document->load_buffer(bytes.data(), bytes.size(), pugi::parse_default, encoding);
    if (!result) throw LanguageControllerError(result.description());
    return document;
}

bool HasUnicodeBom(const std::string& bytes) {
    static const char* const kBoms[] = {"\xEF\xBB\xBF", "\xFE\xFF", "\xFF\xFE"};
    for (const char* bom : kBoms)
        if (bytes.compare(0, std::strlen(bom), bom) == 0) return true;
    return false;
}

// The code page a GB or Big5 encoding name in the XML declaration stands for; 0
// when the declaration names none of them (or there is no declaration).
int DeclaredCodePage(const std::string& bytes) {
    if (bytes.compare(0, 5, "<?xml") != 0) return 0;
    const std::size_t end = bytes.find("?>");
    if (end == std::string::npos) return 0;
    const std::string declaration = LowerCase(std::string_view(bytes).substr(0, end));
    const std::size_t at = declaration.find("encoding");
    if (at == std::string::npos) return 0;
    const std::size_t open = declaration.find_first_of("\"'", at);
    if (open == std::string::npos) return 0;
    const std::size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string::npos) return 0;
    const std::string name = Trim(std::string_view(declaration).substr(open + 1, close - open - 1));
    if (name == "gb2312" || name == "gbk" || name == "cp936" || name == "x-gbk" || name == "gb18030") return 936;
    if (name == "big5" || name == "cp950" || name == "big5-hkscs") return 950;
    return 0;
}

}  // namespace

TLangDocument ParseLangBytes(const std::string& bytes) {
    if (!HasUnicodeBom(bytes)) {
        if (const int codePage = DeclaredCodePage(bytes)) {
            std::string utf8;
            if (CodePageToUnicode(bytes, codePage, utf8)) return ParseBuffer(utf8, pugi::encoding_utf8);
        }
    }
    return ParseBuffer(bytes, pugi::encoding_auto);
}

namespace {

std::string FileSystemName(const QString& fileName) {
    if (fileName.isEmpty()) return {};
    return FindFileCaseInsensitive(fileName.toStdString());
}

// ---- finding elements ---------------------------------------------------------------

// The first element in document order with that name and, when attribute is
// given, with that attribute: what "//name" and "//name/@attribute" select.
pugi::xml_node FirstElementNamed(const pugi::xml_document& document, const QString& name,
                                 const char* attribute = nullptr) {
    if (name.isEmpty()) return {};
    const std::string wanted = name.toStdString();
    return document.find_node([&](const pugi::xml_node& node) {
        return node.type() == pugi::node_element && wanted == node.name() &&
               (!attribute || node.attribute(attribute));
    });
}

// ---- applying one entry -------------------------------------------------------------

struct Segment {
    QString Name;
    int Index = -1;     // -1 without a valid "_n" suffix
    bool BadIndex = false;  // "_" followed by something that is not a number
};

bool IsIndexedCollectionName(const QString& name) {
    return name.compare(QLatin1String("Items"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("Columns"), Qt::CaseInsensitive) == 0;
}

Segment SplitSegment(const QString& text) {
    Segment s;
    s.Name = text.trimmed();
    const qsizetype bar = s.Name.lastIndexOf(QLatin1Char('_'));
    if (bar <= 0) return s;
    const QString suffix = s.Name.mid(bar + 1);
    bool ok = !suffix.isEmpty();
    for (QChar c : suffix) ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int index = ok ? suffix.toInt(&ok) : -1;
    if (!ok) {
        s.BadIndex = IsIndexedCollectionName(s.Name.left(bar));
        return s;
    }
    s.Name = s.Name.left(bar);
    s.Index = index;
    return s;
}

TCollectionItem* CollectionElement(TCollection* collection, int index) {
    return index < collection->Count() ? collection->Items(index) : nullptr;
}

bool IsElementList(QObject* object) {
    return qobject_cast<TCollection*>(object) != nullptr || qobject_cast<TListItems*>(object) != nullptr;
}

// The element n of an Items or Columns segment: of the collection or list-view
// rows the object is, else of the ones its property of that name holds (a list
// view's Columns and Items, a grid's Columns). Null when the entry cannot be
// applied: no such list, or n beyond its end.
QObject* IndexedElement(QObject* object, const QString& name, int index) {
    QObject* list = IsElementList(object) ? object : GetObjectPropByName(object, name);
    if (auto* collection = qobject_cast<TCollection*>(list)) return CollectionElement(collection, index);
    if (auto* rows = qobject_cast<TListItems*>(list)) return index < rows->Count() ? rows->Item(index) : nullptr;
    return nullptr;
}

void PutPaddedLine(TStrings* lines, int index, const QString& value) {
    if (index > kMaxLangLineIndex) return;
    lines->BeginUpdate();
    while (lines->Count() <= index) lines->Add(QString());
    lines->Put(index, value);
    lines->EndUpdate();
}

void ApplyLastSegment(QObject* object, const Segment& last, const QString& value) {
    if (last.Index >= 0) {
        // An index on the last segment addresses a line of a string list.
        if (auto* lines = qobject_cast<TStrings*>(GetObjectPropByName(object, last.Name)))
            PutPaddedLine(lines, last.Index, value);
        return;
    }
    if (last.BadIndex) return;
    SetPropertyByPath(object, last.Name, value);
}

bool IsFormLike(const TComponent* component) {
    return dynamic_cast<const TForm*>(component) != nullptr || component->InheritsFrom(QStringLiteral("TDataModule"));
}

}  // namespace

// ---- TLangNode ------------------------------------------------------------------------

QString TLangNode::Name() const { return FromUtf8(FNode.name()); }

int TLangNode::AttributeCount() const {
    int count = 0;
    for (pugi::xml_attribute a = FNode.first_attribute(); a; a = a.next_attribute()) ++count;
    return count;
}

namespace {
pugi::xml_attribute AttributeAt(const pugi::xml_node& node, int index) {
    if (index < 0) return {};
    pugi::xml_attribute a = node.first_attribute();
    for (int i = 0; a && i < index; ++i) a = a.next_attribute();
    return a;
}
}  // namespace

QString TLangNode::AttributeName(int index) const { return FromUtf8(AttributeAt(FNode, index).name()); }
QString TLangNode::AttributeValue(int index) const { return FromUtf8(AttributeAt(FNode, index).value()); }
bool TLangNode::HasAttribute(const QString& name) const { return bool(FNode.attribute(name.toStdString().c_str())); }
QString TLangNode::AttributeValue(const QString& name) const {
    return FromUtf8(FNode.attribute(name.toStdString().c_str()).value());
}

// ---- documents, folders, messages -----------------------------------------------------

QString ExistingLangFile(const QString& fileName) {
    const std::string path = FileSystemName(fileName);
    return !path.empty() && FileExists(path) ? QString::fromStdString(path) : QString();
}

TLangDocument LoadLangFile(const QString& fileName) {
    const std::string path = FileSystemName(fileName);
    if (path.empty() || !FileExists(path)) ThrowParseError(pugi::status_file_not_found);
    std::ifstream in(path, std::ios::binary);
    if (!in) ThrowParseError(pugi::status_file_not_found);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) ThrowParseError(pugi::status_io_error);
    return ParseLangBytes(bytes);
}

TLangDocument ParseLangText(const QString& text) { return ParseBuffer(text.toStdString(), pugi::encoding_utf8); }

QString GetLanguageDir(bool server) {
    QString codePage;
    QString base;
    if (server) {
        const TVornikIniS ini;
        codePage = ini.UICodePage();
        base = ini.ServerPath();
    } else {
        const TVornikIniC ini;
        codePage = ini.UICodePage();
        base = ini.ClientPath();
    }
    static const struct {
        const char* CodePage;
        const char* Folder;
    } kFolders[] = {{"936", "CHS"}, {"950", "CHT"}, {"437", "ENG"}};
    for (const auto& f : kFolders)
        if (codePage == QLatin1String(f.CodePage)) {
            const QString dir = QString::fromStdString(
                NormalizePath((base + QStringLiteral("MultiLanguage/") + QLatin1String(f.Folder) + QLatin1Char('/')).toStdString()));
            return DirectoryExists(dir.toStdString()) ? dir : QString();
        }
    return {};
}

QString GetLangMessage(bool server, const QString& stem, const QString& identifier, const QString& defaultText) {
    try {
        const QString fileName = GetLanguageDir(server) + stem + QLatin1String(kLangFileExtension);
        if (ExistingLangFile(fileName).isEmpty()) return defaultText;
        const TLangDocument document = LoadLangFile(fileName);
        const pugi::xml_node element = FirstElementNamed(*document, identifier, kLangMessageAttribute);
        if (!element) return defaultText;
        return FromUtf8(element.attribute(kLangMessageAttribute).value());
    } catch (...) {
        // A message lookup never fails: the built-in text stands.
        return defaultText;
    }
}

// ---- entries ---------------------------------------------------------------------------

void ApplyAttribute(TComponent* component, const QString& name, const QString& value) {
    if (!component) return;
    const QStringList parts = name.split(QLatin1Char('.'));
    QObject* object = component;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const Segment s = SplitSegment(parts[i]);
        if (s.Index >= 0) {
            // Only Items and Columns can be walked through by index; any other
            // indexed name cannot be reached and the entry changes nothing.
            if (!IsIndexedCollectionName(s.Name)) return;
            object = IndexedElement(object, s.Name, s.Index);
        } else {
            if (s.BadIndex) return;
            object = GetObjectPropByName(object, s.Name);
        }
        if (!object) return;
    }
    ApplyLastSegment(object, SplitSegment(parts.last()), value);
}

// ---- readers ---------------------------------------------------------------------------

void TComponentRead::ReadItem(int index) {
    const pugi::xml_attribute a = AttributeAt(FNode.Node(), index);
    if (a) ApplyAttribute(FComponent, FromUtf8(a.name()), FromUtf8(a.value()));
}

void TComponentRead::ReadItem(const QString& name) {
    const pugi::xml_attribute a = FNode.Node().attribute(name.toStdString().c_str());
    if (a) ApplyAttribute(FComponent, FromUtf8(a.name()), FromUtf8(a.value()));
}

void TComponentRead::ReadAll() {
    // Walks the attributes once rather than by position, so an element with many
    // attributes costs no more than their number.
    QPointer<TComponent> guard(FComponent);
    for (pugi::xml_attribute a = FNode.Node().first_attribute(); a && guard; a = a.next_attribute())
        ApplyAttribute(FComponent, FromUtf8(a.name()), FromUtf8(a.value()));
}

void TCustomComboBoxRead::ReadAll() {
    TComponent* combo = GetComponent();
    const int itemIndex = GetOrdPropByName(combo, QStringLiteral("ItemIndex"));
    QPointer<TComponent> guard(combo);
    TComponentRead::ReadAll();
    if (guard) SetOrdPropByName(combo, QStringLiteral("ItemIndex"), itemIndex);
}

std::unique_ptr<ILangRead> TReaderFactory::CreateReader(TComponent* component, const TLangNode& node) {
    if (component && component->InheritsFrom(QStringLiteral("TwwDBCustomComboBox")))
        return std::make_unique<TwwDBCustomComboBoxRead>(component, node);
    if (component && (component->InheritsFrom(QStringLiteral("TCustomComboBox")) ||
                      component->InheritsFrom(QStringLiteral("TComboBox"))))
        return std::make_unique<TCustomComboBoxRead>(component, node);
    return std::make_unique<TComponentRead>(component, node);
}

// ---- TLangReader -------------------------------------------------------------------------

TLangReader::TLangReader(TLangDocument document) : FDocument(std::move(document)) {}

void TLangReader::SetExcludeNames(const QStringList& names) { FExcludeNames = names; }

bool TLangReader::IsExcluded(const QString& name) const {
    const QString wanted = name.trimmed();
    for (const QString& line : FExcludeNames)
        if (wanted.compare(line.trimmed(), Qt::CaseInsensitive) == 0) return true;
    return false;
}

TLangNode TLangReader::FindNode(const QString& name) const {
    if (!FDocument) return {};
    return TLangNode(FirstElementNamed(*FDocument, name));
}

void TLangReader::ReadElement(TComponent* component, const TLangNode& node) {
    QPointer<TComponent> guard(component);
    if (BeforeLoadComponent) BeforeLoadComponent(component, node);
    if (!guard) return;
    TReaderFactory::CreateReader(component, node)->ReadAll();
    if (guard && AfterLoadComponent) AfterLoadComponent(component, node);
}

void TLangReader::ReadComponent(TComponent* component) {
    if (!component || !FDocument) return;
    // Depth first in ownership order, without recursion; components freed while
    // an entry is applied are skipped.
    std::vector<QPointer<TComponent>> pending{component};
    while (!pending.empty()) {
        QPointer<TComponent> current = pending.back();
        pending.pop_back();
        if (!current) continue;
        if (IsFormLike(current)) {
            const pugi::xml_node root = FDocument->document_element();
            if (root) ReadElement(current, TLangNode(root));
        }
        if (current && !current->Name().isEmpty() && !IsExcluded(current->Name())) {
            const TLangNode node = FindNode(current->Name());
            if (node) ReadElement(current, node);
        }
        if (!current) continue;
        for (int i = current->ComponentCount() - 1; i >= 0; --i) pending.emplace_back(current->Components(i));
    }
}

// ---- TLanguageController -----------------------------------------------------------------

TLanguageController::TLanguageController(TComponent* AOwner)
    : TComponent(AOwner), FExcludeControls(new TStringList(this)), FLangXML(new TStringList(this)) {
    connect(FExcludeControls, &TStrings::Changed, this, [this] { ExcludeControlsChanged(); });
    connect(FLangXML, &TStrings::Changed, this, [this] { LangXMLChanged(); });
}

TLanguageController::~TLanguageController() {
    // The lists are children of this object: stop following them before they go.
    disconnect(FExcludeControls, nullptr, this, nullptr);
    disconnect(FLangXML, nullptr, this, nullptr);
    ReleaseDocument();
}

bool TLanguageController::Active() const { return FDocument && FDocument->document_element(); }

void TLanguageController::SetActive(bool on) {
    if (IsLoading()) {
        FPendingActive = on;
        return;
    }
    if (on == Active()) return;
    if (on)
        Open();
    else
        Close();
}

void TLanguageController::Loaded() {
    TComponent::Loaded();
    if (FPendingActive) {
        FPendingActive = false;
        SetActive(true);
    }
}

TLangDocument TLanguageController::LoadSource() const {
    if (!FLangXML->Text().isEmpty()) return ParseLangText(FLangXML->Text());
    if (FLangFileName.isEmpty()) throw LanguageControllerError(QString::fromLatin1(kCannotFindFile).arg(FLangFileName).toStdString());
    return LoadLangFile(FLangFileName);
}

void TLanguageController::Open() {
    DoBeforeOpen();
    ReleaseDocument();
    TLangDocument document = LoadSource();
    auto reader = std::make_unique<TLangReader>(document);
    reader->SetExcludeNames(FExcludeControls->ToStringList());
    reader->BeforeLoadComponent = [this, handler = BeforeLoadComponent](TComponent* c, const TLangNode& n) {
        DoBeforeLoadComponent(handler, c, n);
    };
    reader->AfterLoadComponent = [this, handler = AfterLoadComponent](TComponent* c, const TLangNode& n) {
        DoAfterLoadComponent(handler, c, n);
    };
    FDocument = std::move(document);
    FReader = std::move(reader);
    DoAfterOpen();
}

void TLanguageController::Close() {
    DoBeforeClose();
    ReleaseDocument();
    DoAfterClose();
}

void TLanguageController::ReleaseDocument() {
    FReader.reset();
    FDocument.reset();
}

TLangReader& TLanguageController::Reader() const {
    if (!Active() || !FReader) throw LanguageControllerError(kNoActiveController);
    return *FReader;
}

TStrings* TLanguageController::ExcludeControls() const { return FExcludeControls; }

void TLanguageController::SetExcludeControls(const TStrings* names) {
    if (names)
        FExcludeControls->Assign(names);
    else
        FExcludeControls->Clear();
}

void TLanguageController::ExcludeControlsChanged() {
    if (FReader) FReader->SetExcludeNames(FExcludeControls->ToStringList());
}

TStrings* TLanguageController::LangXML() const { return FLangXML; }

void TLanguageController::SetLangXML(const TStrings* text) {
    if (text)
        FLangXML->Assign(text);
    else
        FLangXML->Clear();
}

void TLanguageController::LangXMLChanged() {
    // A form resource sets its properties in any order: while loading, the text
    // is only stored.
    if (IsLoading()) return;
    SetActive(false);
    if (!FLangXML->Text().isEmpty()) FLangFileName.clear();
}

void TLanguageController::SetLangFileName(const QString& fileName) {
    if (fileName == FLangFileName) return;
    FLangFileName = fileName;
    FLangXML->Clear();
    if (!IsLoading()) SetActive(false);
}

bool TLanguageController::LangFileExists() const { return !ExistingLangFile(FLangFileName).isEmpty(); }

void TLanguageController::SetLangPackageName(const QString& name) {
    if (name == FLangPackageName) return;
    FLangPackageName = name;
    SetLangFileName(GetLanguageDir(FDesignType == dtServer) + name + QLatin1String(kLangFileExtension));
}

void TLanguageController::DoBeforeOpen() {
    if (BeforeOpen) BeforeOpen(this);
}
void TLanguageController::DoAfterOpen() {
    if (AfterOpen) AfterOpen(this);
}
void TLanguageController::DoBeforeClose() {
    if (BeforeClose) BeforeClose(this);
}
void TLanguageController::DoAfterClose() {
    if (AfterClose) AfterClose(this);
}
void TLanguageController::DoBeforeLoadComponent(const TLoadComponentEvent& handler, TComponent* component,
                                                 const TLangNode& node) {
    if (handler) handler(component, node);
}
void TLanguageController::DoAfterLoadComponent(const TLoadComponentEvent& handler, TComponent* component,
                                                const TLangNode& node) {
    if (handler) handler(component, node);
}

}  // namespace kv
