// Containers and decorations: the panel, the splitter that resizes its aligned
// neighbour, the image and the bevel.
#pragma once

#include "platform/Controls.h"
#include "platform/Graphics.h"

namespace kv {

// A container with a caption, an outer and an inner bevel and an optional
// sunken border. Aligned children share the area inside border and bevels.
class TPanel : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(kv::Enums::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(kv::Enums::TBevelCut BevelInner READ BevelInner WRITE SetBevelInner)
    Q_PROPERTY(kv::Enums::TBevelCut BevelOuter READ BevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(kv::Enums::TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
public:
    explicit TPanel(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut cut);
    int BevelWidth() const { return FBevelWidth; }
    // At least 1.
    void SetBevelWidth(int width);
    // bsNone or bsSingle (a sunken two-pixel edge); other values count as bsSingle.
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    int BorderWidth() const { return FBorderWidth; }
    // At least 0.
    void SetBorderWidth(int width);

    int ClientWidth() const override { return Width() - 2 * BorderEdge(); }
    int ClientHeight() const override { return Height() - 2 * BorderEdge(); }
    void AdjustClientRect(QRect& rect) const override;

protected:
    void Paint(QPainter& painter) override;
    void WndProc(TMessage& message) override;

private:
    int BorderEdge() const { return FBorderStyle == bsNone ? 0 : 2; }
    void Changed();
    TCanvas* FCanvas;
    TAlignment FAlignment = taCenter;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    TFormBorderStyle FBorderStyle = bsNone;
    int FBorderWidth = 0;
};

// A bar between an aligned control and the rest of its parent: dragging it
// resizes that control, keeping it and the space left at least MinSize wide
// (or high). The control is the visible, enabled one that touches the splitter on
// the side it is aligned to.
class TSplitter : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(int MinSize READ MinSize WRITE SetMinSize)
    Q_PROPERTY(bool Beveled READ Beveled WRITE SetBeveled)
    Q_PROPERTY(kv::Enums::TResizeStyle ResizeStyle READ ResizeStyle WRITE SetResizeStyle)
    Q_PROPERTY(kv::TNotifyEvent OnMoved MEMBER OnMoved)
public:
    explicit TSplitter(TComponent* AOwner);

    int MinSize() const { return FMinSize; }
    // At least 1.
    void SetMinSize(int size);
    bool Beveled() const { return FBeveled; }
    void SetBeveled(bool on);
    // rsNone resizes when the drag ends; the others follow the mouse.
    TResizeStyle ResizeStyle() const { return FResizeStyle; }
    void SetResizeStyle(TResizeStyle style) { FResizeStyle = style; }

    // The control the splitter resizes (null when none touches it).
    TControl* FindControl() const;

    // After a drag resized the control.
    TNotifyEvent OnMoved;

protected:
    void Paint(QPainter& painter) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    bool WidgetEvent(QWidget* widget, QEvent* event) override;

private:
    bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
    // The size the control gets for the mouse at (x, y), within the limits.
    int NewSize(int x, int y) const;
    void ApplySize(int size);
    void UpdateCursor();
    TCanvas* FCanvas;
    int FMinSize = 30;
    bool FBeveled = false;
    TResizeStyle FResizeStyle = rsPattern;
    QPointer<TControl> FControl;
    QPoint FDownPos;
    int FMaxSize = 0;
    int FPendingSize = -1;
};

// A picture: a bitmap with change notification.
class TPicture : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(kv::TBitmap* Bitmap READ Bitmap WRITE SetBitmap)
    Q_PROPERTY(int Width READ Width)
    Q_PROPERTY(int Height READ Height)
public:
    explicit TPicture(QObject* parent = nullptr);
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* bitmap) { FBitmap->Assign(bitmap); }
    int Width() const { return FBitmap->Width(); }
    int Height() const { return FBitmap->Height(); }
    void LoadFromFile(const QString& fileName) { FBitmap->LoadFromFile(fileName); }
    void SaveToFile(const QString& fileName) const { FBitmap->SaveToFile(fileName); }
    // Takes a picture's or a bitmap's image; null empties it.
    bool Assign(const TPersistent* source) override;

    TNotifyEvent OnChange;

signals:
    void Changed();

private:
    TBitmap* FBitmap;
};

// Shows a picture: at the top-left, centred, or stretched over the control.
class TImage : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(kv::TPicture* Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
public:
    explicit TImage(TComponent* AOwner);

    TPicture* Picture() const { return FPicture; }
    void SetPicture(TPicture* picture) { FPicture->Assign(picture); }
    // The canvas of the picture's bitmap.
    TCanvas* Canvas() const { return FPicture->Bitmap()->Canvas(); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool on);
    bool Center() const { return FCenter; }
    void SetCenter(bool on);
    // The picture's transparent colour shows what lies below.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);
    // The control takes the picture's size.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on);

    // Where the picture is drawn in the control.
    QRect DestRect() const;

protected:
    void Paint(QPainter& painter) override;

private:
    void PictureChanged();
    TPicture* FPicture;
    TCanvas* FCanvas;
    bool FStretch = false;
    bool FCenter = false;
    bool FTransparent = false;
    bool FAutoSize = false;
};

// A lowered or raised box, frame or line.
class TBevel : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(kv::Enums::TBevelShape Shape READ Shape WRITE SetShape)
    Q_PROPERTY(kv::Enums::TBevelStyle Style READ Style WRITE SetStyle)
public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape shape);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle style);

protected:
    void Paint(QPainter& painter) override;

private:
    TCanvas* FCanvas;
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

}  // namespace kv
