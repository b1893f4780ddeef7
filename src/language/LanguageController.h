// Language files: one XML file per form class whose elements, named after the
// components, carry replacement values for their published properties, plus texts
// for run-time messages. The controller loads one file (or inline XML text); its
// reader applies the file to a component and everything that component owns.
#pragma once

#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/Classes.h"
#include "platform/TextConversion.h"

namespace kv {

// Activation without a source, a file that cannot be read or parsed, or the
// reader of an inactive controller.
class LanguageControllerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kLangFileExtension = ".Lng";
inline constexpr const char* kLangMessageAttribute = "Msg";
// The highest line a language file may address in a string list: padding a list
// up to an index costs a line per step, so a mistyped index must not cost
// millions.
inline constexpr int kMaxLangLineIndex = 65535;

// One element of a language document, as the readers and the load events see it.
// Attribute texts are Unicode; the document stays owned by its controller.
class TLangNode {
public:
    TLangNode() = default;
    explicit TLangNode(pugi::xml_node node) : FNode(node) {}

    bool IsNull() const { return !FNode; }
    explicit operator bool() const { return !IsNull(); }
    QString Name() const;
    int AttributeCount() const;
    // Attributes in document order; empty texts beyond the last one.
    QString AttributeName(int index) const;
    QString AttributeValue(int index) const;
    bool HasAttribute(const QString& name) const;
    QString AttributeValue(const QString& name) const;
    pugi::xml_node Node() const { return FNode; }

private:
    pugi::xml_node FNode;
};

using TLoadComponentEvent = TEvent<void(TComponent* xComponent, const TLangNode& xComponentNode)>;

using TLangDocument = std::shared_ptr<const pugi::xml_document>;

// Reads a language file. Separators are normalised and the name is matched
// without regard to case when the exact one does not exist. A file with a BOM is
// read in its Unicode form; one whose declaration names a GB or Big5 encoding is
// decoded from that code page; anything else is read as the parser guesses (UTF-8
// or Latin-1). LanguageControllerError with the parser's reason when the file
// cannot be read or parsed.
TLangDocument LoadLangFile(const QString& fileName);
// The bytes of a language file, decoded as LoadLangFile decodes them.
TLangDocument ParseLangBytes(const std::string& bytes);
// Parses XML text that is already Unicode (its declaration does not re-decode it).
TLangDocument ParseLangText(const QString& text);
// The file-system name of a language file when it exists (matched as
// LoadLangFile matches it); empty when it does not.
QString ExistingLangFile(const QString& fileName);

// The language folder of the client (or server) installation: the installation
// path + "MultiLanguage/" + CHS, CHT or ENG for the interface code page 936, 950
// or 437, ending with '/'; empty for other code pages or when the folder does
// not exist.
QString GetLanguageDir(bool server);
// The text of the "Msg" attribute of the first element named identifier in the
// language file stem + ".Lng" of the language folder; defaultText when the file,
// the element or the attribute is missing or anything fails. The file is read
// anew on every call.
QString GetLangMessage(bool server, const QString& stem, const QString& identifier, const QString& defaultText);

// Applies one entry of a language file to a component: name is the property path
// (Caption, Font.Name, Items_3, Columns_1.Caption, Items_0.SubItems_1), value the
// new value. Entries that cannot be applied change nothing.
void ApplyAttribute(TComponent* component, const QString& name, const QString& value);

// A reader of one element for one component.
class ILangRead {
public:
    virtual ~ILangRead() = default;
    virtual TComponent* GetComponent() const = 0;
    virtual TLangNode GetNode() const = 0;
    virtual void SetComponent(TComponent* component) = 0;
    virtual void SetNode(const TLangNode& node) = 0;
    // The attribute at that position, or of that name; a missing one is ignored.
    virtual void ReadItem(int index) = 0;
    virtual void ReadItem(const QString& name) = 0;
    // Every attribute, in document order.
    virtual void ReadAll() = 0;

protected:
    ILangRead() = default;
    ILangRead(const ILangRead&) = default;
    ILangRead& operator=(const ILangRead&) = default;
};

class TComponentRead : public ILangRead {
public:
    TComponentRead(TComponent* component, const TLangNode& node) : FComponent(component), FNode(node) {}
    TComponent* GetComponent() const override { return FComponent; }
    TLangNode GetNode() const override { return FNode; }
    void SetComponent(TComponent* component) override { FComponent = component; }
    void SetNode(const TLangNode& node) override { FNode = node; }
    void ReadItem(int index) override;
    void ReadItem(const QString& name) override;
    void ReadAll() override;

private:
    TComponent* FComponent;
    TLangNode FNode;
};

// Combo boxes: replacing item lines loses the selection, so the item index is
// put back after the element has been applied.
class TCustomComboBoxRead : public TComponentRead {
public:
    using TComponentRead::TComponentRead;
    void ReadAll() override;
};

// The data-aware combo box of the grid package reads like any combo box. No
// control of that class exists in this system; the factory picks this reader
// only by class name.
class TwwDBCustomComboBoxRead : public TCustomComboBoxRead {
public:
    using TCustomComboBoxRead::TCustomComboBoxRead;
};

class TReaderFactory {
public:
    static std::unique_ptr<ILangRead> CreateReader(TComponent* component, const TLangNode& node);
};

// Applies a loaded document to component trees.
class TLangReader {
public:
    explicit TLangReader(TLangDocument document);

    // The document element's attributes go to forms (and data modules); each
    // named, not excluded component gets the first element of its name; then
    // everything the component owns, in ownership order.
    void ReadComponent(TComponent* component);
    // The trimmed name equals a trimmed exclude line, letter case ignored.
    bool IsExcluded(const QString& name) const;
    // The first element named name in document order (what "//name" selects);
    // null for none.
    TLangNode FindNode(const QString& name) const;

    const QStringList& ExcludeNames() const { return FExcludeNames; }
    void SetExcludeNames(const QStringList& names);
    const TLangDocument& Document() const { return FDocument; }

    TLoadComponentEvent BeforeLoadComponent;
    TLoadComponentEvent AfterLoadComponent;

private:
    void ReadElement(TComponent* component, const TLangNode& node);
    TLangDocument FDocument;
    QStringList FExcludeNames;
};

// Loads a language document from a file or from inline XML text and offers its
// reader while active.
class TLanguageController : public TComponent {
    Q_OBJECT
public:
    explicit TLanguageController(TComponent* AOwner);
    ~TLanguageController() override;

    // A document with a document element is loaded.
    bool Active() const;
    // While the controller is being loaded only remembered (PendingActive);
    // otherwise True loads LangXML's text, else the file LangFileName
    // (LanguageControllerError when neither is given or the source cannot be
    // parsed; the controller then stays inactive); False releases the document.
    void SetActive(bool on);
    bool PendingActive() const { return FPendingActive; }

    // The active reader; LanguageControllerError "No active LanguageController!"
    // when inactive.
    TLangReader& Reader() const;

    // Component names never translated; setting copies the list (null clears it).
    // Changes reach an active reader at once.
    TStrings* ExcludeControls() const;
    void SetExcludeControls(const TStrings* names);
    // Inline XML text; a change deactivates and, when it holds text, clears
    // LangFileName.
    TStrings* LangXML() const;
    void SetLangXML(const TStrings* text);
    QString LangFileName() const { return FLangFileName; }
    // A different name is stored, empties LangXML and deactivates.
    void SetLangFileName(const QString& fileName);
    // Whether LangFileName names an existing file.
    bool LangFileExists() const;
    QString LangPackageName() const { return FLangPackageName; }
    // A different name selects the file name + ".Lng" in the language folder of
    // the side DesignType names.
    void SetLangPackageName(const QString& name);
    TDesignType DesignType() const { return FDesignType; }
    void SetDesignType(TDesignType designType) { FDesignType = designType; }

    TNotifyEvent AfterClose;
    TNotifyEvent AfterOpen;
    TNotifyEvent BeforeClose;
    TNotifyEvent BeforeOpen;
    TLoadComponentEvent AfterLoadComponent;
    TLoadComponentEvent BeforeLoadComponent;

protected:
    void Loaded() override;

    virtual void DoBeforeOpen();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoAfterClose();
    // The reader raises these with the handlers the controller had when it was
    // activated.
    virtual void DoBeforeLoadComponent(const TLoadComponentEvent& handler, TComponent* component,
                                       const TLangNode& node);
    virtual void DoAfterLoadComponent(const TLoadComponentEvent& handler, TComponent* component,
                                      const TLangNode& node);

private:
    void Open();
    void Close();
    void ReleaseDocument();
    TLangDocument LoadSource() const;
    void ExcludeControlsChanged();
    void LangXMLChanged();

    TLangDocument FDocument;
    std::unique_ptr<TLangReader> FReader;
    TStringList* FExcludeControls;
    TStringList* FLangXML;
    QString FLangFileName;
    QString FLangPackageName;
    TDesignType FDesignType = dtClient;
    bool FPendingActive = false;
};

// The controller as forms place it.
class TKvLangController : public TLanguageController {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(kv::TNotifyEvent AfterClose MEMBER AfterClose)
    Q_PROPERTY(kv::TNotifyEvent AfterOpen MEMBER AfterOpen)
    Q_PROPERTY(kv::TNotifyEvent BeforeClose MEMBER BeforeClose)
    Q_PROPERTY(kv::TNotifyEvent BeforeOpen MEMBER BeforeOpen)
    Q_PROPERTY(kv::TLoadComponentEvent AfterLoadComponent MEMBER AfterLoadComponent)
    Q_PROPERTY(kv::TLoadComponentEvent BeforeLoadComponent MEMBER BeforeLoadComponent)
    Q_PROPERTY(kv::TStrings* ExcludeControls READ ExcludeControls WRITE SetExcludeControls)
    Q_PROPERTY(QString LangPackageName READ LangPackageName WRITE SetLangPackageName)
    Q_PROPERTY(kv::DesignEnums::TDesignType DesignType READ DesignType WRITE SetDesignType)
public:
    explicit TKvLangController(TComponent* AOwner) : TLanguageController(AOwner) {}
};

}  // namespace kv

Q_DECLARE_METATYPE(kv::TLoadComponentEvent)
