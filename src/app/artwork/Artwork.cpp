#include "artwork/Artwork.h"

#include "design/Fonts.h"
#include "design/Render.h"
#include "design/Shapes.h"
#include "platform/FileSystem.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kelvora::Artwork {

namespace {

const QColor kTileTop(0xF3F1EB), kTileBottom(0xCFCBC1), kTileBorder(0xB9B5AA);
const QColor kDisc(0x1A1A18), kMarks(0xF6F5F1), kOrange(0xE8590C);
const QColor kPaper(0xF4F2ED), kGrid(0xE4E1D9), kBand(0xECEAE4), kBandEdge(0xD6D3CB);
const QColor kTitle(0x1A1A18), kNote(0x5F5D57);

// An arc around `center` between two angles in degrees, screen sense (y down): 180 is
// left, 270 up, 360 right.
QPainterPath arcPath(QPointF center, qreal radius, qreal from, qreal to) {
    QRectF circle(center - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    QPainterPath path;
    path.arcMoveTo(circle, -from);
    path.arcTo(circle, -from, -(to - from));
    return path;
}

// Three box blurs in a row come close to a Gaussian of the given deviation.
void blur(QImage& image, qreal sigma) {
    int box = std::max(1, static_cast<int>(std::lround(std::sqrt(4 * sigma * sigma + 1))));
    int half = box / 2;
    if (half < 1) return;
    int w = image.width(), h = image.height();
    std::vector<QRgb> line(std::max(w, h));
    auto pass = [&](bool horizontal) {
        int length = horizontal ? w : h, lines = horizontal ? h : w;
        for (int l = 0; l < lines; ++l) {
            auto at = [&](int i) -> QRgb& {
                QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(horizontal ? l : i));
                return row[horizontal ? i : l];
            };
            for (int i = 0; i < length; ++i)
                line[i] = at(i);
            int sum[4] = {0, 0, 0, 0};
            auto add = [&](int i, int sign) {
                if (i < 0 || i >= length) return;
                QRgb p = line[i];
                sum[0] += sign * qAlpha(p);
                sum[1] += sign * qRed(p);
                sum[2] += sign * qGreen(p);
                sum[3] += sign * qBlue(p);
            };
            for (int i = -half; i <= half; ++i)
                add(i, 1);
            int n = 2 * half + 1;
            for (int i = 0; i < length; ++i) {
                at(i) = qRgba(sum[1] / n, sum[2] / n, sum[3] / n, sum[0] / n);
                add(i - half, -1);
                add(i + half + 1, 1);
            }
        }
    };
    for (int round = 0; round < 3; ++round) {
        pass(true);
        pass(false);
    }
}

void paintShadow(QPainter& painter, const QPainterPath& tile, qreal side, qreal s) {
    qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    int pixels = static_cast<int>(std::ceil(side * ratio));
    QImage shadow(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter p(&shadow);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(ratio, ratio);
        p.translate(0, 10 * s);
        p.fillPath(tile, QColor(0, 0, 0, static_cast<int>(std::lround(0.22 * 255))));
    }
    blur(shadow, 18 * s * ratio / 2);
    painter.drawImage(QRectF(0, 0, side, side), shadow);
}

void paintIconDial(QPainter& painter, QPointF center, qreal s) {
    bool small = s < 0.1;
    if (!small) {
        QPen marks(kMarks, 34 * s, Qt::CustomDashLine, Qt::FlatCap);
        marks.setDashPattern({8.0 / 34, 30.0 / 34}); // in units of the pen's width
        painter.setPen(marks);
        painter.drawPath(arcPath(center, 205 * s, 180, 360));
    }
    painter.setPen(QPen(kOrange, (small ? 64 : 34) * s, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(arcPath(center, 205 * s, 270, 315));
    qreal angle = 315 * M_PI / 180;
    painter.setPen(QPen(kMarks, (small ? 52 : 28) * s, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(center, center + QPointF(std::cos(angle), std::sin(angle)) * 165 * s);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kOrange);
    painter.drawEllipse(center, 32 * s, 32 * s);
}

void drawTracked(QPainter& painter, QFont font, qreal tracking, const QRectF& rect,
                 const QString& text) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    painter.setFont(font);
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignTop, text);
}

FileResult write(const QImage& image, const std::string& folder, const std::string& name) {
    return Render::writePng(image, folder + "/" + name);
}

int finish(const std::string& folder, const std::vector<FileResult>& results) {
    bool allWritten = true;
    for (const FileResult& result : results)
        if (!result) {
            std::printf("%s\n", result.reason.c_str());
            allWritten = false;
        }
    if (allWritten) std::printf("Wrote %s\n", folder.c_str());
    std::fflush(stdout);
    return allWritten ? 0 : 1;
}

} // namespace

const std::vector<IconFile>& iconFiles() {
    static const std::vector<IconFile> files = [] {
        std::vector<IconFile> list;
        for (int points : {16, 32, 128, 256, 512}) {
            std::string base = "icon_" + std::to_string(points) + "x" + std::to_string(points);
            list.push_back({base + ".png", points, 1});
            list.push_back({base + "@2x.png", points, 2});
        }
        return list;
    }();
    return files;
}

void paintIcon(QPainter& painter, qreal side) {
    qreal s = side / 1024;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF tileRect(100 * s, 100 * s, 824 * s, 824 * s);
    QPainterPath tile = Shapes::continuousRect(tileRect, 185 * s);
    paintShadow(painter, tile, side, s);

    QLinearGradient gradient(tileRect.topLeft(), tileRect.bottomLeft());
    gradient.setColorAt(0, kTileTop);
    gradient.setColorAt(1, kTileBottom);
    painter.fillPath(tile, gradient);
    qreal border = std::max(4 * s, 1.0);
    Shapes::fillRounded(painter, tileRect, 185 * s, {}, kTileBorder, border);

    QPointF middle(512 * s, 512 * s);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kDisc);
    painter.drawEllipse(middle + QPointF(0, 30 * s), 270 * s, 270 * s);
    paintIconDial(painter, middle + QPointF(0, 70 * s), s);
    painter.restore();
}

void paintBackground(QPainter& painter) {
    const qreal w = kBackgroundWidth, h = kBackgroundHeight;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(0, 0, w, h), kPaper);

    QPainterPath grid;
    for (qreal x = 0; x <= w; x += 20) {
        grid.moveTo(x, 0);
        grid.lineTo(x, h);
    }
    for (qreal y = 0; y <= h; y += 20) {
        grid.moveTo(0, y);
        grid.lineTo(w, y);
    }
    painter.strokePath(grid, QPen(kGrid, 1));

    QPainterPath shaft(QPointF(255, 190));
    shaft.cubicTo(QPointF(290, 140), QPointF(365, 140), QPointF(400, 186));
    QPen dashed(kOrange, 3, Qt::CustomDashLine, Qt::RoundCap, Qt::MiterJoin);
    dashed.setMiterLimit(10);
    dashed.setDashPattern({7.0 / 3, 7.0 / 3});
    painter.strokePath(shaft, dashed);
    QPainterPath head(QPointF(386, 186));
    head.lineTo(402, 188);
    head.lineTo(398, 172);
    painter.strokePath(head, QPen(kOrange, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    painter.fillRect(QRectF(0, h - 40, w, 40), kBand);
    painter.strokePath(
        [&] {
            QPainterPath edge(QPointF(0, h - 40));
            edge.lineTo(w, h - 40);
            return edge;
        }(),
        QPen(kBandEdge, 1));

    QFont title = Fonts::number(30);
    QFont subtitle = Fonts::text(12.5);
    qreal top = 34;
    painter.setPen(kTitle);
    drawTracked(painter, title, 2.4, QRectF(0, top, w, 60), "DRAG TO INSTALL");
    top += QFontMetricsF(title).height() + 6;
    painter.setPen(kNote);
    painter.setFont(subtitle);
    painter.drawText(QRectF(0, top, w, 30), Qt::AlignHCenter | Qt::AlignTop,
                     "Drop Kelvora on Applications. That’s the whole setup.");

    painter.setFont(Fonts::mono(11));
    QRectF footer(18, h - 40, w - 36, 40);
    painter.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter, "KELVORA · MACOS 14 OR LATER");
    painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter, "NOTHING LEAVES YOUR COMPUTER");
    painter.restore();
}

QImage iconImage(int points, int scale) {
    return Render::picture(
        QSize(points, points), [points](QPainter& painter) { paintIcon(painter, points); }, scale);
}

QImage backgroundImage(int scale) {
    return Render::picture(QSize(kBackgroundWidth, kBackgroundHeight), paintBackground, scale);
}

QIcon appIcon() {
    QIcon icon;
    for (int side : {16, 32, 64, 128, 256, 512})
        icon.addPixmap(QPixmap::fromImage(iconImage(side, 1)));
    return icon;
}

int writeIconSet(const std::string& folder) {
    Render::application();
    createDirectories(folder);
    std::vector<FileResult> results;
    for (const IconFile& file : iconFiles())
        results.push_back(write(iconImage(file.points, file.scale), folder, file.name));
    return finish(folder, results);
}

int writeBackground(const std::string& folder) {
    Render::application();
    Fonts::registerFonts();
    createDirectories(folder);
    std::vector<FileResult> results;
    results.push_back(write(backgroundImage(1), folder, "background.png"));
    results.push_back(write(backgroundImage(2), folder, "background@2x.png"));
    return finish(folder, results);
}

} // namespace kelvora::Artwork
