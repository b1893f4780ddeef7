// The root of the system's object model: objects, notification handlers, components
// with owners, string lists and collections. Components are QObjects so that their
// published properties (Q_PROPERTY with the system's names) can be read and written
// by name through QMetaObject; event handlers are properties too.
#pragma once

#include <QFlags>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kv {

// Every model object (components, forms) derives from TObject, so a handler's
// Sender can be any of them.
class TObject {
public:
    virtual ~TObject() = default;
};

// An assignable event handler. It is a std::function that Qt can hold in a
// property, so handlers can be read, replaced and restored by name; two handlers
// compare equal only when both are empty.
template <class Sig>
class TEvent : public std::function<Sig> {
public:
    using std::function<Sig>::function;
    TEvent() = default;
    friend bool operator==(const TEvent& a, const TEvent& b) { return !a && !b; }
};

using TNotifyEvent = TEvent<void(TObject* Sender)>;

class TComponent;

// Objects with published properties that are not components (fonts, string lists,
// collections): QObjects without an owner of their own.
class TPersistent : public QObject, public TObject {
    Q_OBJECT
public:
    explicit TPersistent(QObject* parent = nullptr) : QObject(parent) {}
    // Copies the published state of another object of a compatible class; false
    // when the classes do not fit.
    virtual bool Assign(const TPersistent* source);
    // The class name without the namespace, as the system's code compares it.
    QString ClassName() const;
};

enum TComponentStateFlag {
    csLoading = 0x01,
    csReading = 0x02,
    csDesigning = 0x04,
    csDestroying = 0x08,
};
Q_DECLARE_FLAGS(TComponentState, TComponentStateFlag)

enum TOperation { opInsert, opRemove };

// A component: named, owned, and the owner of the components created with it as
// owner. Creation order is component order. The owner frees what it owns, the last
// one first; a freed component leaves its owner's list.
class TComponent : public QObject, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const;
    // Position in the owner's list, -1 without an owner.
    int ComponentIndex() const;
    // The owned component with this name (letter case ignored), or null.
    TComponent* FindComponent(const QString& name) const;

    QString Name() const { return objectName(); }
    virtual void SetName(const QString& name);
    int Tag() const { return FTag; }
    void SetTag(int tag) { FTag = tag; }

    TComponentState ComponentState() const { return FComponentState; }
    bool IsLoading() const { return FComponentState.testFlag(csLoading); }
    bool IsDestroying() const { return FComponentState.testFlag(csDestroying); }

    // Moves a component into this one's list (out of its old owner's).
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    // Class name without the namespace ("TEdit"), and whether the class or one of
    // its ancestors has that name.
    QString ClassName() const;
    bool InheritsFrom(const QString& className) const;

    // Loading as from a form resource: components created while their owner is
    // loading are loading too; Loaded() ends it, for the whole owned tree.
    void BeginLoading();
    void EndLoading();

protected:
    // Runs once loading has ended (component state no longer has csLoading).
    virtual void Loaded() {}
    // A component this one owns was inserted or is being removed.
    virtual void Notification(TComponent* component, TOperation operation);
    void SetComponentStateFlag(TComponentStateFlag flag, bool on);

private:
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    TComponentState FComponentState;
    int FTag = 0;
};

// Creates a component of class T owned by owner and gives it a name.
template <class T>
T* CreateNamed(TComponent* owner, const QString& name) {
    auto* c = new T(owner);
    c->SetName(name);
    return c;
}

enum TDuplicates { dupIgnore, dupAccept, dupError };

// A list of texts, each with an optional object. Controls that show lists own one
// and follow its Changed() signal. Text joins the lines with CR LF after each one.
class TStrings : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_PROPERTY(QString CommaText READ CommaText WRITE SetCommaText)
    Q_PROPERTY(int Count READ Count)
public:
    explicit TStrings(QObject* parent = nullptr) : TPersistent(parent) {}

    int Count() const { return static_cast<int>(FItems.size()); }
    QString Strings(int index) const;
    QString operator[](int index) const { return Strings(index); }
    void Put(int index, const QString& text);
    TObject* Objects(int index) const;
    void PutObject(int index, TObject* object);

    virtual int Add(const QString& text);
    int AddObject(const QString& text, TObject* object);
    virtual void Insert(int index, const QString& text);
    void InsertObject(int index, const QString& text, TObject* object);
    void Delete(int index);
    void Clear();
    void Exchange(int a, int b);
    void Move(int from, int to);
    void AddStrings(const TStrings* other);
    void AddStrings(const QStringList& other);
    // Index of the first line equal to text (letter case ignored unless
    // CaseSensitive), -1 when none.
    virtual int IndexOf(const QString& text) const;
    int IndexOfObject(const TObject* object) const;

    QString Text() const;
    void SetText(const QString& text);
    QString CommaText() const;
    void SetCommaText(const QString& text);
    QStringList ToStringList() const;
    void SetStrings(const QStringList& lines);

    // name=value lines.
    QString Names(int index) const;
    QString ValueFromIndex(int index) const;
    QString Values(const QString& name) const;
    void SetValue(const QString& name, const QString& value);
    int IndexOfName(const QString& name) const;

    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool on) { FCaseSensitive = on; }

    // Changes between these two raise one Changed() at the end.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    bool Assign(const TPersistent* source) override;

    TNotifyEvent OnChange;

signals:
    void Changed();

protected:
    struct Item {
        QString Text;
        TObject* Object = nullptr;
    };
    void DoChanged();
    bool SameText(const QString& a, const QString& b) const;
    std::vector<Item> FItems;

private:
    int FUpdateCount = 0;
    bool FChangedWhileUpdating = false;
    bool FCaseSensitive = false;
};

// A string list that can keep itself sorted and refuse or ignore duplicates.
class TStringList : public TStrings {
    Q_OBJECT
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)
public:
    explicit TStringList(QObject* parent = nullptr) : TStrings(parent) {}
    int Add(const QString& text) override;
    void Insert(int index, const QString& text) override;
    int IndexOf(const QString& text) const override;
    bool Sorted() const { return FSorted; }
    void SetSorted(bool on);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates d) { FDuplicates = d; }
    void Sort();
    // Binary search of a sorted list: true when found; index is where it is or
    // where it would go.
    bool Find(const QString& text, int& index) const;

private:
    int Compare(const QString& a, const QString& b) const;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
};

class TCollection;

// One element of a collection; published properties are its Qt properties.
class TCollectionItem : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(int Index READ Index)
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;
    TCollection* Collection() const { return FCollection; }
    int Index() const;

protected:
    // Subclasses call this from their setters so the owner can follow.
    void Changed();

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
};

// An ordered list of items of one class, owned by the collection.
class TCollection : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
public:
    using ItemFactory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(ItemFactory factory, QObject* parent = nullptr);
    ~TCollection() override;

    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Items(int index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int IndexOf(const TCollectionItem* item) const;

signals:
    // An item changed (null: the list itself changed).
    void Updated(kv::TCollectionItem* item);

private:
    friend class TCollectionItem;
    void Attach(TCollectionItem* item, int index);
    void Detach(TCollectionItem* item);
    ItemFactory FFactory;
    std::vector<TCollectionItem*> FItems;
    bool FClearing = false;
};

}  // namespace kv

Q_DECLARE_OPERATORS_FOR_FLAGS(kv::TComponentState)
Q_DECLARE_METATYPE(kv::TNotifyEvent)
