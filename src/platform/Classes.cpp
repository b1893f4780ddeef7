#include "platform/Classes.h"

#include <QMetaObject>

#include <algorithm>
#include <stdexcept>

namespace kv {

namespace {

QString BareClassName(const QMetaObject* meta) {
    QString name = QString::fromLatin1(meta->className());
    const qsizetype colon = name.lastIndexOf(QLatin1Char(':'));
    return colon >= 0 ? name.mid(colon + 1) : name;
}

void CheckIndex(int index, int count, const char* what) {
    if (index < 0 || index >= count)
        throw std::out_of_range(std::string(what) + " index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

// ---- TPersistent ------------------------------------------------------------------

bool TPersistent::Assign(const TPersistent*) { return false; }

QString TPersistent::ClassName() const { return BareClassName(metaObject()); }

// ---- TComponent -------------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) {
        if (AOwner->IsLoading()) FComponentState |= TComponentState(csLoading | csReading);
        AOwner->InsertComponent(this);
    }
}

TComponent::~TComponent() {
    FComponentState |= csDestroying;
    // The last created goes first, as each may still refer to those before it.
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        RemoveComponent(last);
        delete last;
    }
    if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
    CheckIndex(index, ComponentCount(), "Component");
    return FComponents[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!FOwner) return -1;
    const auto& list = FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    for (TComponent* c : FComponents)
        if (c->Name().compare(name, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}

void TComponent::SetName(const QString& name) { setObjectName(name); }

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->FOwner == this) return;
    if (component->FOwner) component->FOwner->RemoveComponent(component);
    component->FOwner = this;
    FComponents.push_back(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it == FComponents.end()) return;
    Notification(component, opRemove);
    FComponents.erase(std::find(FComponents.begin(), FComponents.end(), component));
    component->FOwner = nullptr;
}

void TComponent::Notification(TComponent*, TOperation) {}

QString TComponent::ClassName() const { return BareClassName(metaObject()); }

bool TComponent::InheritsFrom(const QString& className) const {
    for (const QMetaObject* m = metaObject(); m; m = m->superClass())
        if (BareClassName(m).compare(className, Qt::CaseInsensitive) == 0) return true;
    return false;
}

void TComponent::BeginLoading() { FComponentState |= TComponentState(csLoading | csReading); }

void TComponent::EndLoading() {
    // Owned components first, so an owner's Loaded() sees them finished.
    const auto owned = FComponents;
    for (TComponent* c : owned) c->EndLoading();
    if (!IsLoading()) return;
    FComponentState &= ~TComponentState(csLoading | csReading);
    Loaded();
}

void TComponent::SetComponentStateFlag(TComponentStateFlag flag, bool on) {
    if (on)
        FComponentState |= flag;
    else
        FComponentState &= ~TComponentState(flag);
}

// ---- TStrings ---------------------------------------------------------------------

QString TStrings::Strings(int index) const {
    CheckIndex(index, Count(), "List");
    return FItems[static_cast<size_t>(index)].Text;
}

void TStrings::Put(int index, const QString& text) {
    CheckIndex(index, Count(), "List");
    FItems[static_cast<size_t>(index)].Text = text;
    DoChanged();
}

TObject* TStrings::Objects(int index) const {
    CheckIndex(index, Count(), "List");
    return FItems[static_cast<size_t>(index)].Object;
}

void TStrings::PutObject(int index, TObject* object) {
    CheckIndex(index, Count(), "List");
    FItems[static_cast<size_t>(index)].Object = object;
    DoChanged();
}

int TStrings::Add(const QString& text) {
    Insert(Count(), text);
    return Count() - 1;
}

int TStrings::AddObject(const QString& text, TObject* object) {
    const int index = Add(text);
    if (index >= 0 && index < Count()) FItems[static_cast<size_t>(index)].Object = object;
    return index;
}

void TStrings::Insert(int index, const QString& text) {
    if (index < 0 || index > Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    FItems.insert(FItems.begin() + index, Item{text, nullptr});
    DoChanged();
}

void TStrings::InsertObject(int index, const QString& text, TObject* object) {
    Insert(index, text);
    FItems[static_cast<size_t>(index)].Object = object;
}

void TStrings::Delete(int index) {
    CheckIndex(index, Count(), "List");
    FItems.erase(FItems.begin() + index);
    DoChanged();
}

void TStrings::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    DoChanged();
}

void TStrings::Exchange(int a, int b) {
    CheckIndex(a, Count(), "List");
    CheckIndex(b, Count(), "List");
    std::swap(FItems[static_cast<size_t>(a)], FItems[static_cast<size_t>(b)]);
    DoChanged();
}

void TStrings::Move(int from, int to) {
    CheckIndex(from, Count(), "List");
    CheckIndex(to, Count(), "List");
    Item item = FItems[static_cast<size_t>(from)];
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, item);
    DoChanged();
}

void TStrings::AddStrings(const TStrings* other) {
    if (!other) return;
    BeginUpdate();
    for (const Item& item : other->FItems) AddObject(item.Text, item.Object);
    EndUpdate();
}

void TStrings::AddStrings(const QStringList& other) {
    BeginUpdate();
    for (const QString& s : other) Add(s);
    EndUpdate();
}

bool TStrings::SameText(const QString& a, const QString& b) const {
    return a.compare(b, FCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

int TStrings::IndexOf(const QString& text) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(FItems[static_cast<size_t>(i)].Text, text)) return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[static_cast<size_t>(i)].Object == object) return i;
    return -1;
}

QString TStrings::Text() const {
    QString out;
    for (const Item& item : FItems) {
        out += item.Text;
        out += QStringLiteral("\r\n");
    }
    return out;
}

void TStrings::SetText(const QString& text) {
    // Lines end at CR LF, a lone CR or a lone LF; a final line break adds no line.
    QStringList lines;
    QString current;
    bool open = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            lines << current;
            current.clear();
            open = false;
            if (ch == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        } else {
            current += ch;
            open = true;
        }
    }
    if (open) lines << current;
    SetStrings(lines);
}

QString TStrings::CommaText() const {
    QStringList parts;
    for (const Item& item : FItems) {
        const QString& s = item.Text;
        bool quote = s.isEmpty();
        for (QChar ch : s)
            if (ch <= QLatin1Char(' ') || ch == QLatin1Char(',') || ch == QLatin1Char('"')) quote = true;
        if (quote) {
            QString q = s;
            q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            parts << (QLatin1Char('"') + q + QLatin1Char('"'));
        } else {
            parts << s;
        }
    }
    return parts.join(QLatin1Char(','));
}

void TStrings::SetCommaText(const QString& text) {
    QStringList out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && text[i] <= QLatin1Char(' ')) ++i;
    };
    skipBlanks();
    while (i < n) {
        QString item;
        if (text[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
            while (i < n && text[i] > QLatin1Char(' ') && text[i] != QLatin1Char(',')) item += text[i++];
        } else {
            while (i < n && text[i] > QLatin1Char(' ') && text[i] != QLatin1Char(',')) item += text[i++];
        }
        out << item;
        skipBlanks();
        if (i < n && text[i] == QLatin1Char(',')) {
            ++i;
            skipBlanks();
            if (i >= n) out << QString();
        }
    }
    SetStrings(out);
}

QStringList TStrings::ToStringList() const {
    QStringList out;
    out.reserve(Count());
    for (const Item& item : FItems) out << item.Text;
    return out;
}

void TStrings::SetStrings(const QStringList& lines) {
    BeginUpdate();
    Clear();
    for (const QString& s : lines) Add(s);
    EndUpdate();
}

QString TStrings::Names(int index) const {
    const QString s = Strings(index);
    const qsizetype eq = s.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : s.left(eq);
}

QString TStrings::ValueFromIndex(int index) const {
    const QString s = Strings(index);
    const qsizetype eq = s.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : s.mid(eq + 1);
}

int TStrings::IndexOfName(const QString& name) const {
    for (int i = 0; i < Count(); ++i) {
        const QString& s = FItems[static_cast<size_t>(i)].Text;
        const qsizetype eq = s.indexOf(QLatin1Char('='));
        if (eq >= 0 && SameText(s.left(eq), name)) return i;
    }
    return -1;
}

QString TStrings::Values(const QString& name) const {
    const int i = IndexOfName(name);
    return i < 0 ? QString() : ValueFromIndex(i);
}

void TStrings::SetValue(const QString& name, const QString& value) {
    const int i = IndexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0) Delete(i);
        return;
    }
    if (i < 0)
        Add(name + QLatin1Char('=') + value);
    else
        Put(i, name + QLatin1Char('=') + value);
}

void TStrings::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0 && FChangedWhileUpdating) {
        FChangedWhileUpdating = false;
        DoChanged();
    }
}

void TStrings::DoChanged() {
    if (FUpdateCount > 0) {
        FChangedWhileUpdating = true;
        return;
    }
    emit Changed();
    if (OnChange) OnChange(this);
}

bool TStrings::Assign(const TPersistent* source) {
    const auto* other = qobject_cast<const TStrings*>(source);
    if (!other) return false;
    if (other == this) return true;
    BeginUpdate();
    Clear();
    for (const Item& item : other->FItems) {
        FItems.push_back(item);
        DoChanged();
    }
    EndUpdate();
    return true;
}

// ---- TStringList ------------------------------------------------------------------

int TStringList::Compare(const QString& a, const QString& b) const {
    return a.compare(b, CaseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

bool TStringList::Find(const QString& text, int& index) const {
    int lo = 0;
    int hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = Compare(FItems[static_cast<size_t>(mid)].Text, text);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TStringList::Add(const QString& text) {
    if (!FSorted) return TStrings::Add(text);
    int index = 0;
    if (Find(text, index)) {
        if (FDuplicates == dupIgnore) return index;
        if (FDuplicates == dupError) throw std::runtime_error("String list does not allow duplicates");
    }
    TStrings::Insert(index, text);
    return index;
}

void TStringList::Insert(int index, const QString& text) {
    if (FSorted) throw std::logic_error("Operation not allowed on sorted string list");
    TStrings::Insert(index, text);
}

int TStringList::IndexOf(const QString& text) const {
    if (!FSorted) return TStrings::IndexOf(text);
    int index = 0;
    return Find(text, index) ? index : -1;
}

void TStringList::SetSorted(bool on) {
    if (FSorted == on) return;
    if (on) Sort();
    FSorted = on;
}

void TStringList::Sort() {
    std::stable_sort(FItems.begin(), FItems.end(),
                     [this](const Item& a, const Item& b) { return Compare(a.Text, b.Text) < 0; });
    DoChanged();
}

// ---- TCollection ------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) : FCollection(collection) {}

TCollectionItem::~TCollectionItem() {
    if (FCollection) FCollection->Detach(this);
}

int TCollectionItem::Index() const { return FCollection ? FCollection->IndexOf(this) : -1; }

void TCollectionItem::Changed() {
    if (FCollection) emit FCollection->Updated(this);
}

TCollection::TCollection(ItemFactory factory, QObject* parent) : TPersistent(parent), FFactory(std::move(factory)) {}

TCollection::~TCollection() { Clear(); }

TCollectionItem* TCollection::Items(int index) const {
    CheckIndex(index, Count(), "Collection");
    return FItems[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add() { return Insert(Count()); }

TCollectionItem* TCollection::Insert(int index) {
    if (index < 0 || index > Count())
        throw std::out_of_range("Collection index out of bounds (" + std::to_string(index) + ")");
    TCollectionItem* item = FFactory ? FFactory(this) : new TCollectionItem(this);
    item->FCollection = this;
    Attach(item, index);
    return item;
}

void TCollection::Delete(int index) {
    CheckIndex(index, Count(), "Collection");
    delete FItems[static_cast<size_t>(index)];
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    FClearing = true;
    while (!FItems.empty()) delete FItems.back();
    FClearing = false;
    emit Updated(nullptr);
}

int TCollection::IndexOf(const TCollectionItem* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TCollection::Attach(TCollectionItem* item, int index) {
    FItems.insert(FItems.begin() + index, item);
    emit Updated(nullptr);
}

void TCollection::Detach(TCollectionItem* item) {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    item->FCollection = nullptr;
    if (!FClearing) emit Updated(nullptr);
}

}  // namespace kv
