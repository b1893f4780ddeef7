// PictolibSheet <file.png>: draws every glyph of Pictolib onto one contact sheet:
// its number, the strip as stored (key colour showing) enlarged four times, the
// strip as a button shows it, enlarged, and the same at its real size.

#include "Pictolib.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kZoom = 4;
constexpr int kPad = 8;
constexpr QRgb kButtonFace = qRgb(0xF0, 0xF0, 0xF0);

struct Entry {
    int number;
    QImage strip;
};

std::vector<Entry> AllGlyphs() {
    std::vector<Entry> entries;
    for (int n = 1; n <= kv::GetMaxBmpID(); ++n) {
        QImage strip;
        if (kv::LoadBmp(strip, n)) entries.push_back({n, strip});
    }
    return entries;
}

// The strip as a bitmap button paints it: key-coloured pixels let the face through.
QImage OnButtonFace(const QImage& strip) {
    const QRgb key = strip.pixel(0, strip.height() - 1);
    QImage out = strip.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            if (out.pixel(x, y) == key) out.setPixel(x, y, kButtonFace);
        }
    }
    return out;
}

QImage Enlarged(const QImage& image) {
    return image.scaled(image.size() * kZoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage ContactSheet(const std::vector<Entry>& entries) {
    int widest = 0, tallest = 0;
    for (const Entry& e : entries) {
        widest = std::max(widest, e.strip.width());
        tallest = std::max(tallest, e.strip.height());
    }
    const int labelWidth = 40;
    const int zoomedW = widest * kZoom, zoomedH = tallest * kZoom;
    const int rowHeight = zoomedH + kPad;
    const int width = kPad + labelWidth + 2 * (zoomedW + kPad) + widest + 2 * kPad;
    const int height = kPad + int(entries.size()) * rowHeight;
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(kButtonFace);
    QPainter painter(&sheet);
    QFont font = painter.font();
    font.setPixelSize(14);
    painter.setFont(font);
    int y = kPad;
    for (const Entry& e : entries) {
        int x = kPad;
        painter.setPen(Qt::black);
        painter.drawText(QRect(x, y, labelWidth, zoomedH), Qt::AlignVCenter | Qt::AlignLeft, QString::number(e.number));
        x += labelWidth;
        painter.drawImage(x, y, Enlarged(e.strip));
        x += zoomedW + kPad;
        const QImage face = OnButtonFace(e.strip);
        painter.drawImage(x, y, Enlarged(face));
        x += zoomedW + kPad;
        painter.drawImage(x, y + (zoomedH - e.strip.height()) / 2, face);
        y += rowHeight;
    }
    return sheet;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.png>\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::vector<Entry> entries = AllGlyphs();
    const QString file = QString::fromLocal8Bit(argv[1]);
    if (!ContactSheet(entries).save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%zu glyphs, numbers 1 to %d, written to %s\n", entries.size(), kv::GetMaxBmpID(), argv[1]);
    return 0;
}
