#include "components/DBLabel.h"

#include <QEvent>
#include <QMetaProperty>

#include <algorithm>

#include "platform/Dialogs.h"

namespace kv {

namespace {

const QString kSecondLabelError = QStringLiteral("不能同时有两个 DBLabel 指到同一个 Control.");
const QString kInitialCaption = QStringLiteral("挂靠标签");

}  // namespace

// ---- data source --------------------------------------------------------------------

TField* TDataSet::AddField(const QString& fieldName, const QString& displayLabel) {
    auto* field = new TField(fieldName, this);
    field->SetDisplayLabel(displayLabel);
    FFields.push_back(field);
    return field;
}

TField* TDataSet::FindField(const QString& fieldName) const {
    if (fieldName.isEmpty()) return nullptr;
    for (TField* field : FFields)
        if (field->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0) return field;
    return nullptr;
}

bool FieldDisplayLabelOf(const QObject* control, QString& label) {
    if (!control) return false;
    const QMetaObject* meta = control->metaObject();
    const int index = meta->indexOfProperty("DataSource");
    if (index < 0) return false;
    const QMetaProperty property = meta->property(index);
    if (!(property.metaType().flags() & QMetaType::PointerToQObject)) return false;
    auto* source = qobject_cast<TDataSource*>(property.read(control).value<QObject*>());
    if (!source || !source->DataSet()) return false;
    const TField* field = source->DataSet()->FindField(control->property("DataField").toString());
    if (!field) return false;
    label = field->DisplayLabel();
    return true;
}

// ---- TDBLabel -----------------------------------------------------------------------

// Watches the bound control's widget so the label stays beside the control as it
// is moved or resized.
class TDBLabel::TControlWatcher : public QObject {
public:
    TControlWatcher(TDBLabel* label, TWinControl* control) : QObject(label), FLabel(label), FControl(control) {
        control->Handle()->installEventFilter(this);
        connect(control, &QObject::destroyed, this, [label] { label->ControlDestroyed(); });
    }
    ~TControlWatcher() override {
        if (FControl && FControl->Handle()) FControl->Handle()->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A widget being torn down with its control is no move of the control.
        if (!FControl || FControl->IsDestroying() || watched != FControl->Handle()) return false;
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize) FLabel->Realign();
        return false;
    }

private:
    TDBLabel* FLabel;
    QPointer<TWinControl> FControl;
};

TDBLabel::TDBLabel(TComponent* AOwner) : TLabel(AOwner) { SetCaption(kInitialCaption); }

TDBLabel::~TDBLabel() { StopWatching(); }

void TDBLabel::SetAutoAlign(bool on) {
    FAutoAlign = on;
    Realign();
}

void TDBLabel::SetAutoCaption(bool on) {
    FAutoCaption = on;
    Realign();
}

void TDBLabel::SetFocusControl(TWinControl* control) {
    if (control) {
        if (control == FocusControl()) return;
        if (OtherLabelBoundTo(control)) {
            MessageDlg(kSecondLabelError, mtError, MsgDlgButton(mbOK));
            return;
        }
    }
    StopWatching();
    TLabel::SetFocusControl(control);
    WatchControl();
    Realign();
}

void TDBLabel::SetGap(int gap) {
    gap = std::clamp(gap, 0, 255);
    if (gap == FGap) return;
    FGap = gap;
    Realign();
}

void TDBLabel::SetPos(TPos pos) {
    if (pos == FPos) return;
    FPos = pos;
    Realign();
}

void TDBLabel::RefreshCaption() {
    if (!FocusControl() || !FAutoCaption) return;
    QString caption;
    if (FieldDisplayLabelOf(FocusControl(), caption)) SetCaption(caption);
}

void TDBLabel::AlignToControl() {
    const TWinControl* control = FocusControl();
    if (!control || !FAutoAlign) return;
    int left = control->Left();
    int top = control->Top();
    switch (FPos) {
        case psTop: top = control->Top() - Height() - FGap; break;
        case psBottom: top = control->Top() + control->Height() + FGap; break;
        case psLeft:
        case psRight:
            if (Height() != control->Height()) top = control->Top() + control->Height() / 2 - Height() / 2;
            left = FPos == psLeft ? control->Left() - Width() - FGap : control->Left() + control->Width() + FGap;
            break;
    }
    SetBounds(std::max(0, left), std::max(0, top), Width(), Height());
}

void TDBLabel::AdjustBounds() {
    TLabel::AdjustBounds();
    AlignToControl();
}

void TDBLabel::Loaded() {
    TLabel::Loaded();
    Realign();
}

void TDBLabel::Realign() {
    RefreshCaption();
    AlignToControl();
}

TDBLabel* TDBLabel::OtherLabelBoundTo(const TWinControl* control) const {
    const TWinControl* parent = Parent();
    if (!parent) return nullptr;
    auto boundOther = [&](QObject* candidate) -> TDBLabel* {
        auto* label = qobject_cast<TDBLabel*>(candidate);
        return label && label != this && label->FocusControl() == control ? label : nullptr;
    };
    // The labels placed on the parent, and those it owns.
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (TDBLabel* other = boundOther(parent->Controls(i))) return other;
    for (int i = 0; i < parent->ComponentCount(); ++i)
        if (TDBLabel* other = boundOther(parent->Components(i))) return other;
    return nullptr;
}

void TDBLabel::WatchControl() {
    if (FocusControl() && !FWatcher) FWatcher = new TControlWatcher(this, FocusControl());
}

void TDBLabel::StopWatching() {
    delete FWatcher;
    FWatcher = nullptr;
}

void TDBLabel::ControlDestroyed() {
    // Called from the watcher's own connection: it goes once control returns.
    if (FWatcher) FWatcher->deleteLater();
    FWatcher = nullptr;
    TLabel::SetFocusControl(nullptr);
}

}  // namespace kv
