// Image lists: a row of equally sized images that list views, tool bars and page
// controls draw by index. Images are kept as pixmaps with an alpha channel, so a
// masked or transparent-coloured source is drawn without its background.
#pragma once

#include <QImage>
#include <QPixmap>

#include <vector>

#include "platform/Classes.h"
#include "platform/Graphics.h"

class QPainter;

namespace kv {

class TCustomImageList : public TComponent {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:BkColor", "TColor")
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(int BkColor READ BkColor WRITE SetBkColor)
    Q_PROPERTY(bool Masked READ Masked WRITE SetMasked)
    Q_PROPERTY(kv::TNotifyEvent OnChange MEMBER OnChange)
public:
    explicit TCustomImageList(TComponent* AOwner);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // A new size empties the list (its images no longer fit), as the classic list
    // does. Sizes below 1 are refused.
    void SetWidth(int width);
    void SetHeight(int height);
    void SetSize(int width, int height);
    int Count() const { return static_cast<int>(FImages.size()); }
    // Background of drawn images; clNone draws them over what is there.
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor color);
    bool Masked() const { return FMasked; }
    void SetMasked(bool on) { FMasked = on; }

    // Adds the image; a source wider than Width is cut into as many images as fit
    // (a strip), each Width x Height. Where the mask is non-black (white in a
    // monochrome mask) the image is transparent. Returns the index of the first
    // image added, -1 for an empty source.
    int Add(const QImage& image, const QImage& mask = QImage());
    int Add(const QPixmap& image, const QPixmap& mask = QPixmap());
    // Adds the image with every pixel of maskColor made transparent; clDefault
    // takes the colour of the bottom-left pixel.
    int AddMasked(const QImage& image, TColor maskColor);
    // Replaces the image at index (one cell of the source).
    void Replace(int index, const QImage& image, const QImage& mask = QImage());
    void Delete(int index);
    void Clear();
    void Move(int from, int to);

    // The image at index (a null pixmap when out of range).
    QPixmap Pixmap(int index) const;
    QImage Image(int index) const;
    // Draws image index with its top-left corner at (x, y); a disabled image is
    // drawn greyed. Out-of-range indexes draw nothing.
    void Draw(QPainter& painter, int x, int y, int index, bool enabled = true) const;

    // Several changes between these raise one Changed().
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

    TNotifyEvent OnChange;

signals:
    void Changed();

protected:
    virtual void Change();

private:
    QImage Cell(const QImage& source, int column) const;
    int AddCells(const QImage& image);
    int FWidth = 16;
    int FHeight = 16;
    TColor FBkColor = clNone;
    bool FMasked = true;
    int FUpdateCount = 0;
    bool FChangedWhileUpdating = false;
    std::vector<QPixmap> FImages;
};

// The image list as forms place it.
class TImageList : public TCustomImageList {
    Q_OBJECT
public:
    explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};

}  // namespace kv
