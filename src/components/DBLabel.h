// A label that docks itself beside the control it names and, for a data-aware
// control, can take its caption from the display label of the control's field.
// Also the small data-aware notion such captions need: a data source naming a
// data set whose fields have display labels.
#pragma once

#include <QPointer>
#include <QString>

#include <vector>

#include "platform/StdCtrls.h"

namespace kv {

// A field of a data set as captions see it: its name and the text it is shown
// under (the name itself until a label is given).
class TField : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString FieldName READ FieldName)
    Q_PROPERTY(QString DisplayLabel READ DisplayLabel WRITE SetDisplayLabel)
public:
    TField(const QString& fieldName, QObject* parent) : TPersistent(parent), FFieldName(fieldName) {}
    QString FieldName() const { return FFieldName; }
    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const QString& text) { FDisplayLabel = text; }

private:
    QString FFieldName;
    QString FDisplayLabel;
};

// The fields of a data set. The forms of this system bind no data, so only the
// field list is kept: enough for controls and labels that name a field.
class TDataSet : public TComponent {
    Q_OBJECT
public:
    explicit TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

    // Adds a field (an empty label shows the field's name).
    TField* AddField(const QString& fieldName, const QString& displayLabel = QString());
    int FieldCount() const { return static_cast<int>(FFields.size()); }
    // The field of that name (letter case ignored), or null.
    TField* FindField(const QString& fieldName) const;

private:
    std::vector<TField*> FFields;
};

// What a data-aware control is bound to: a data set (or none).
class TDataSource : public TComponent {
    Q_OBJECT
    Q_PROPERTY(kv::TDataSet* DataSet READ DataSet WRITE SetDataSet)
public:
    explicit TDataSource(TComponent* AOwner) : TComponent(AOwner) {}
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* dataSet) { FDataSet = dataSet; }

private:
    QPointer<TDataSet> FDataSet;
};

// The display label of the field a control shows: the control publishes a
// "DataSource" naming a data set and a "DataField" naming one of its fields.
// False, and label untouched, when any of that is missing.
bool FieldDisplayLabelOf(const QObject* control, QString& label);

// A label beside its FocusControl: Pos says which side, Gap how far. It follows
// the control as the control moves or is resized and as its own size changes
// (a new caption, a new font). One label per control among the labels of a
// parent: binding a second one is refused with an error box.
class TDBLabel : public TLabel {
    Q_OBJECT
public:
    enum TPos { psTop, psLeft, psRight, psBottom };
    Q_ENUM(TPos)
    Q_PROPERTY(bool AutoAlign READ AutoAlign WRITE SetAutoAlign)
    Q_PROPERTY(bool AutoCaption READ AutoCaption WRITE SetAutoCaption)
    Q_PROPERTY(kv::TWinControl* FocusControl READ FocusControl WRITE SetFocusControl)
    Q_PROPERTY(int Gap READ Gap WRITE SetGap)
    Q_PROPERTY(TPos Pos READ Pos WRITE SetPos)

    explicit TDBLabel(TComponent* AOwner);
    ~TDBLabel() override;

    bool AutoAlign() const { return FAutoAlign; }
    void SetAutoAlign(bool on);
    bool AutoCaption() const { return FAutoCaption; }
    void SetAutoCaption(bool on);
    // Binds the label to control (null unbinds), then takes the field's caption
    // and docks beside it.
    void SetFocusControl(TWinControl* control);
    // Pixels between label and control, 0..255.
    int Gap() const { return FGap; }
    void SetGap(int gap);
    TPos Pos() const { return FPos; }
    void SetPos(TPos pos);

    // With a control and AutoCaption: the display label of the control's field.
    void RefreshCaption();
    // With a control and AutoAlign: beside the control, never above or left of
    // the parent's client area.
    void AlignToControl();

protected:
    // A label that changes size keeps its distance to the control.
    void AdjustBounds() override;
    void Loaded() override;

private:
    class TControlWatcher;
    TDBLabel* OtherLabelBoundTo(const TWinControl* control) const;
    void Realign();
    void WatchControl();
    void StopWatching();
    void ControlDestroyed();

    TControlWatcher* FWatcher = nullptr;
    bool FAutoAlign = true;
    bool FAutoCaption = true;
    int FGap = 4;
    TPos FPos = psLeft;
};

}  // namespace kv
