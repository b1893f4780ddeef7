#include "platform/ImgList.h"

#include <QPainter>

#include <algorithm>
#include <stdexcept>

namespace kv {

namespace {

// The greyed form of an image for disabled controls: luminance only, lightened
// towards the button face and half transparent.
QImage GreyedImage(const QImage& source) {
    QImage out = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int grey = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
    return out;
}

// Applies a mask: where it is light (white in a monochrome mask) the image is
// transparent.
void ApplyMask(QImage& image, const QImage& mask) {
    if (mask.isNull()) return;
    for (int y = 0; y < image.height() && y < mask.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width() && x < mask.width(); ++x)
            if (qGray(mask.pixel(x, y)) > 127) line[x] = qRgba(0, 0, 0, 0);
    }
}

}  // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

void TCustomImageList::SetWidth(int width) { SetSize(width, FHeight); }
void TCustomImageList::SetHeight(int height) { SetSize(FWidth, height); }

void TCustomImageList::SetSize(int width, int height) {
    if (width < 1 || height < 1) throw std::invalid_argument("Invalid image size");
    if (width == FWidth && height == FHeight) return;
    FWidth = width;
    FHeight = height;
    FImages.clear();
    Change();
}

void TCustomImageList::SetBkColor(TColor color) {
    if (color == FBkColor) return;
    FBkColor = color;
    Change();
}

QImage TCustomImageList::Cell(const QImage& source, int column) const {
    QImage cell(FWidth, FHeight, QImage::Format_ARGB32);
    cell.fill(Qt::transparent);
    QPainter p(&cell);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), source, QRect(column * FWidth, 0, FWidth, FHeight));
    return cell;
}

int TCustomImageList::AddCells(const QImage& image) {
    if (image.isNull()) return -1;
    const int first = Count();
    const int cells = std::max(1, image.width() / FWidth);
    for (int i = 0; i < cells; ++i) FImages.push_back(QPixmap::fromImage(Cell(image, i)));
    Change();
    return first;
}

int TCustomImageList::Add(const QImage& image, const QImage& mask) {
    if (image.isNull()) return -1;
    QImage source = image.convertToFormat(QImage::Format_ARGB32);
    ApplyMask(source, mask);
    return AddCells(source);
}

int TCustomImageList::Add(const QPixmap& image, const QPixmap& mask) {
    return Add(image.toImage(), mask.isNull() ? QImage() : mask.toImage());
}

int TCustomImageList::AddMasked(const QImage& image, TColor maskColor) {
    if (image.isNull()) return -1;
    QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = maskColor == clDefault ? source.pixel(0, source.height() - 1)
                                            : ColorToQColor(maskColor).rgb();
    for (int y = 0; y < source.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(source.scanLine(y));
        for (int x = 0; x < source.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = qRgba(0, 0, 0, 0);
    }
    return AddCells(source);
}

void TCustomImageList::Replace(int index, const QImage& image, const QImage& mask) {
    if (index < 0 || index >= Count()) throw std::out_of_range("Image list index out of bounds");
    QImage source = image.convertToFormat(QImage::Format_ARGB32);
    ApplyMask(source, mask);
    FImages[static_cast<size_t>(index)] = QPixmap::fromImage(Cell(source, 0));
    Change();
}

void TCustomImageList::Delete(int index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("Image list index out of bounds");
    FImages.erase(FImages.begin() + index);
    Change();
}

void TCustomImageList::Clear() {
    if (FImages.empty()) return;
    FImages.clear();
    Change();
}

void TCustomImageList::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count())
        throw std::out_of_range("Image list index out of bounds");
    if (from == to) return;
    QPixmap moved = FImages[static_cast<size_t>(from)];
    FImages.erase(FImages.begin() + from);
    FImages.insert(FImages.begin() + to, moved);
    Change();
}

QPixmap TCustomImageList::Pixmap(int index) const {
    if (index < 0 || index >= Count()) return QPixmap();
    return FImages[static_cast<size_t>(index)];
}

QImage TCustomImageList::Image(int index) const { return Pixmap(index).toImage(); }

void TCustomImageList::Draw(QPainter& painter, int x, int y, int index, bool enabled) const {
    if (index < 0 || index >= Count()) return;
    if (FBkColor != clNone) painter.fillRect(QRect(x, y, FWidth, FHeight), ColorToQColor(FBkColor));
    const QPixmap& pm = FImages[static_cast<size_t>(index)];
    if (enabled)
        painter.drawPixmap(x, y, pm);
    else
        painter.drawImage(x, y, GreyedImage(pm.toImage()));
}

void TCustomImageList::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0 && FChangedWhileUpdating) {
        FChangedWhileUpdating = false;
        Change();
    }
}

void TCustomImageList::Change() {
    if (FUpdateCount > 0) {
        FChangedWhileUpdating = true;
        return;
    }
    emit Changed();
    if (OnChange) OnChange(this);
}

}  // namespace kv
