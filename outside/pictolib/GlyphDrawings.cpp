#include "GlyphDrawings.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <array>
#include <cmath>
#include <numbers>

namespace kv::pictolib {

namespace {

// Straight edges sit on half pixels and are drawn without antialiasing, so they
// stay one crisp pixel wide at 16 x 16; curves keep antialiasing.
void CrispRect(QPainter& p, const QRectF& r, const QColor& fill, const QColor& line) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(line, 1));
    p.setBrush(fill);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
}

void CrispPolygon(QPainter& p, const QPolygonF& poly, const QColor& fill, const QColor& line) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(line, 1));
    p.setBrush(fill);
    p.drawPolygon(poly);
    p.restore();
}

void CrispLine(QPainter& p, QPointF a, QPointF b, const QColor& colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(colour, 1));
    p.drawLine(a, b);
    p.restore();
}

void Pixels(QPainter& p, int x, int y, int w, int h, const QColor& colour) { p.fillRect(x, y, w, h, colour); }

// A sheet of paper with its top-right corner folded over.
void PaperSheet(QPainter& p, int left, int top, int right, int bottom) {
    const double l = left + 0.5, t = top + 0.5, r = right + 0.5, b = bottom + 0.5;
    const QColor ink(0x50, 0x50, 0x58);
    CrispPolygon(p, QPolygonF({{l, t}, {r - 3, t}, {r, t + 3}, {r, b}, {l, b}}), Qt::white, ink);
    CrispPolygon(p, QPolygonF({{r - 3, t}, {r - 3, t + 3}, {r, t + 3}}), QColor(0xD8, 0xD8, 0xE0), ink);
}

void OpenFolder(QPainter& p) {
    const QColor edge(0x8A, 0x62, 0x0E);
    CrispPolygon(p, QPolygonF({{1.5, 3.5}, {5.5, 3.5}, {6.5, 4.5}, {12.5, 4.5}, {12.5, 13.5}, {1.5, 13.5}}),
                 QColor(0xE0, 0xA8, 0x2E), edge);
    QPainterPath flap;
    flap.moveTo(1.5, 13.5);
    flap.lineTo(4.5, 7.5);
    flap.lineTo(15.0, 7.5);
    flap.lineTo(12.5, 13.5);
    flap.closeSubpath();
    p.setPen(QPen(edge, 1));
    p.setBrush(QColor(0xFF, 0xD8, 0x60));
    p.drawPath(flap);
}

void SaveDisk(QPainter& p) {
    CrispRect(p, QRectF(1.5, 1.5, 13, 13), QColor(0x30, 0x60, 0xC0), QColor(0x1A, 0x35, 0x70));
    CrispRect(p, QRectF(3.5, 1.5, 9, 6), Qt::white, QColor(0x1A, 0x35, 0x70));
    Pixels(p, 5, 3, 6, 1, QColor(0x90, 0x90, 0xA0));
    Pixels(p, 5, 5, 6, 1, QColor(0x90, 0x90, 0xA0));
    CrispRect(p, QRectF(4.5, 9.5, 7, 5), QColor(0xC8, 0xCC, 0xD4), QColor(0x1A, 0x35, 0x70));
    Pixels(p, 8, 11, 2, 2, QColor(0x30, 0x38, 0x48));
}

void Printer(QPainter& p) {
    const QColor ink(0x48, 0x48, 0x50);
    CrispRect(p, QRectF(4.5, 1.5, 7, 6), Qt::white, ink);
    CrispRect(p, QRectF(1.5, 6.5, 13, 6), QColor(0xB8, 0xBC, 0xC4), ink);
    Pixels(p, 2, 7, 12, 1, QColor(0xE4, 0xE6, 0xEA));
    Pixels(p, 12, 8, 1, 1, QColor(0x20, 0xC0, 0x30));
    CrispRect(p, QRectF(3.5, 10.5, 9, 5), Qt::white, ink);
    Pixels(p, 5, 12, 6, 1, QColor(0x90, 0x90, 0xA0));
}

void ClearList(QPainter& p) {
    PaperSheet(p, 1, 0, 11, 14);
    const QColor bullet(0x30, 0x60, 0xC0), line(0x80, 0x84, 0x90);
    for (int y : {3, 6, 9}) {
        Pixels(p, 3, y, 2, 2, bullet);
        Pixels(p, 6, y + 1, 4, 1, line);
    }
    // An eraser lying across the bottom-right corner, rubber end down.
    p.save();
    p.translate(11.6, 11.6);
    p.rotate(-45);
    p.setPen(QPen(QColor(0x40, 0x28, 0x38), 1));
    p.setBrush(QColor(0xF4, 0x8F, 0xB1));
    p.drawRect(QRectF(-4.0, -2.0, 3.6, 4.0));
    p.setBrush(QColor(0x3F, 0x6F, 0xC8));
    p.drawRect(QRectF(-0.4, -2.0, 4.4, 4.0));
    p.restore();
}

void Magnifier(QPainter& p) {
    p.setPen(QPen(QColor(0x6A, 0x40, 0x18), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.2, 10.2), QPointF(13.8, 13.8));
    QRadialGradient glass(QPointF(5.0, 5.0), 5.0);
    glass.setColorAt(0, Qt::white);
    glass.setColorAt(1, QColor(0x9C, 0xC8, 0xF0));
    p.setPen(QPen(QColor(0x38, 0x40, 0x50), 1.5));
    p.setBrush(glass);
    p.drawEllipse(QPointF(6.5, 6.5), 4.6, 4.6);
}

void Calendar(QPainter& p) {
    const QColor ink(0x48, 0x48, 0x50);
    CrispRect(p, QRectF(1.5, 2.5, 13, 12), Qt::white, ink);
    Pixels(p, 2, 3, 12, 3, QColor(0xD0, 0x30, 0x30));
    // Binder rings over the header.
    Pixels(p, 4, 1, 1, 3, ink);
    Pixels(p, 11, 1, 1, 3, ink);
    const QColor day(0x98, 0x9C, 0xA8);
    for (int y : {7, 10}) {
        for (int x : {3, 6, 9, 12}) Pixels(p, x, y, 2, 2, day);
    }
    Pixels(p, 3, 13, 2, 1, day);
    Pixels(p, 6, 13, 2, 1, day);
    Pixels(p, 9, 10, 2, 2, QColor(0xD0, 0x30, 0x30));  // today
}

void User(QPainter& p) {
    QPainterPath body;
    body.moveTo(2.5, 15.0);
    body.cubicTo(2.5, 9.0, 13.5, 9.0, 13.5, 15.0);
    body.closeSubpath();
    p.setPen(QPen(QColor(0x1F, 0x3F, 0x78), 1));
    p.setBrush(QColor(0x3A, 0x70, 0xC8));
    p.drawPath(body);
    p.setPen(QPen(QColor(0x8A, 0x5A, 0x3A), 1));
    p.setBrush(QColor(0xF2, 0xC9, 0xA0));
    p.drawEllipse(QPointF(8.0, 5.5), 3.2, 3.4);
}

void DeleteCross(QPainter& p) {
    for (const auto& [width, colour] : {std::pair{3.6, QColor(0x80, 0x10, 0x10)}, std::pair{2.0, QColor(0xE8, 0x28, 0x28)}}) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    }
}

void OrgChart(QPainter& p) {
    const QColor wire(0x40, 0x40, 0x48);
    CrispLine(p, {7.5, 5.5}, {7.5, 8.5}, wire);
    CrispLine(p, {2.5, 8.5}, {12.5, 8.5}, wire);
    for (double x : {2.5, 7.5, 12.5}) CrispLine(p, {x, 8.5}, {x, 10.5}, wire);
    CrispRect(p, QRectF(4.5, 1.5, 7, 5), QColor(0x4A, 0x7F, 0xD0), QColor(0x1F, 0x3F, 0x78));
    for (double x : {0.5, 5.5, 10.5}) {
        CrispRect(p, QRectF(x + 0.5, 10.5, 4, 4), QColor(0x6B, 0xB3, 0x4A), QColor(0x2F, 0x6A, 0x1E));
    }
}

void SignedDocument(QPainter& p) {
    PaperSheet(p, 2, 0, 13, 15);
    const QColor line(0x80, 0x84, 0x90);
    for (int y : {3, 5, 7}) Pixels(p, 4, y, y == 3 ? 5 : 7, 1, line);
    Pixels(p, 4, 9, 7, 1, QColor(0xB0, 0xB4, 0xC0));  // the sign-off rule
    QPainterPath signature;
    signature.moveTo(3.8, 13.2);
    signature.cubicTo(5.0, 9.5, 6.0, 14.5, 7.3, 12.2);
    signature.cubicTo(8.3, 10.4, 8.6, 13.6, 9.8, 12.6);
    signature.cubicTo(10.6, 11.9, 11.0, 11.6, 12.2, 11.8);
    p.setPen(QPen(QColor(0x18, 0x38, 0xB0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(signature);
}

// Two arcs chasing each other round the centre, each ending in an arrowhead.
void Refresh(QPainter& p) {
    const QColor green(0x1E, 0x8A, 0x34);
    const QPointF centre(8.0, 8.0);
    const double radius = 4.8;
    auto at = [&](double degrees, double r) {
        const double a = degrees * std::numbers::pi / 180.0;
        return QPointF(centre.x() + r * std::cos(a), centre.y() - r * std::sin(a));
    };
    for (double start : {30.0, 210.0}) {
        const double end = start + 120.0;
        p.setPen(QPen(green, 2.2, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), int(start * 16),
                  int((end - start) * 16));
        // The head points along the arc, counter-clockwise.
        const double a = end * std::numbers::pi / 180.0;
        const QPointF along(-std::sin(a), -std::cos(a));
        const QPointF base = at(end, radius);
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawPolygon(QPolygonF({base + 3.4 * along, at(end, radius + 3.0), at(end, radius - 3.0)}));
    }
}

constexpr std::array kCatalogue{
    GlyphArt{1, OpenFolder, false},   GlyphArt{2, SaveDisk, false},        GlyphArt{3, Printer, false},
    GlyphArt{4, ClearList, true},     GlyphArt{8, Magnifier, false},       GlyphArt{9, Calendar, false},
    GlyphArt{39, User, false},        GlyphArt{47, DeleteCross, false},    GlyphArt{78, OrgChart, false},
    GlyphArt{81, SignedDocument, false}, GlyphArt{88, Refresh, false},
};

constexpr bool AscendingAndPositive() {
    int previous = 0;
    for (const GlyphArt& art : kCatalogue) {
        if (art.number <= previous) return false;
        previous = art.number;
    }
    return true;
}
static_assert(AscendingAndPositive(), "glyph numbers must be positive, unique and ascending");

}  // namespace

std::span<const GlyphArt> GlyphCatalogue() { return kCatalogue; }

}  // namespace kv::pictolib
