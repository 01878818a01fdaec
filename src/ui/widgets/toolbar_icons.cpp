#include "toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace bdx {

namespace {

const QColor kInk(0x3c, 0x4a, 0x57);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kPanel(0xe6, 0xec, 0xf2);
const QColor kBlue(0x2f, 0x7b, 0xd8);
const QColor kGreen(0x2e, 0x9e, 0x5b);
const QColor kRed(0xd6, 0x45, 0x45);
const QColor kAmber(0xf2, 0xc1, 0x4e);
const QColor kAmberLight(0xf7, 0xd7, 0x74);

QPen inkPen(double width = 1.4, const QColor& color = kInk) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void drawPage(QPainter& p, const QRectF& r) {
    p.setPen(inkPen());
    p.setBrush(kPaper);
    QPainterPath path;
    const double fold = 4.5;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.drawPath(path);
    p.drawPolyline(QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                              QPointF(r.right(), r.top() + fold)}));
}

void drawModule(QPainter& p, const QRectF& r) {
    p.setPen(inkPen());
    p.setBrush(kPanel);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(inkPen(1.2));
    for (double x = r.left() + 2.5; x < r.right() - 1; x += 3.5) {
        p.drawLine(QPointF(x, r.top() - 2), QPointF(x, r.top()));
        p.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + 2));
    }
}

void drawPlay(QPainter& p, const QPointF& centre, double size) {
    p.setPen(inkPen(1.0, kGreen.darker(130)));
    p.setBrush(kGreen);
    p.drawPolygon(QPolygonF({centre + QPointF(-size * 0.45, -size * 0.55),
                             centre + QPointF(-size * 0.45, size * 0.55), centre + QPointF(size * 0.55, 0)}));
}

void drawCurvedArrow(QPainter& p) {
    p.setPen(inkPen(2.2, kBlue));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(19, 19);
    path.cubicTo(20, 10, 14, 7, 6.5, 9.5);
    p.drawPath(path);
    p.setPen(inkPen(1.0, kBlue));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(3, 10.5), QPointF(8.5, 5.5), QPointF(9, 13.5)}));
}

void paintIcon(QPainter& p, const QString& key) {
    if (key == QLatin1String("New")) {
        drawPage(p, QRectF(5, 2, 14, 20));
        p.setPen(inkPen(2.0, kBlue));
        p.drawLine(QPointF(9, 15), QPointF(15, 15));
        p.drawLine(QPointF(12, 12), QPointF(12, 18));
    } else if (key == QLatin1String("Open")) {
        p.setPen(inkPen());
        p.setBrush(kAmber);
        p.drawPolygon(QPolygonF({QPointF(2, 5), QPointF(9, 5), QPointF(11, 7.5), QPointF(20, 7.5),
                                 QPointF(20, 19), QPointF(2, 19)}));
        p.setBrush(kAmberLight);
        p.drawPolygon(QPolygonF({QPointF(2, 19), QPointF(5.5, 10.5), QPointF(23, 10.5), QPointF(20, 19)}));
    } else if (key == QLatin1String("Save")) {
        p.setPen(inkPen(1.4, kBlue.darker(140)));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(kPaper);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(7, 3.7, 9, 5.5));
        p.drawRoundedRect(QRectF(6, 12.5, 12, 7.8), 1, 1);
        p.setBrush(kBlue.darker(140));
        p.drawRect(QRectF(13, 4.5, 2, 4));
    } else if (key == QLatin1String("Print")) {
        p.setPen(inkPen());
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 3, 10, 6));
        p.setBrush(QColor(0x9a, 0xa7, 0xb4));
        p.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 14, 10, 7));
        p.setPen(inkPen(1.0));
        p.drawLine(QPointF(9, 17), QPointF(15, 17));
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(18, 11.5), 1, 1);
    } else if (key == QLatin1String("Config")) {
        drawModule(p, QRectF(3.5, 5, 17, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRect(QRectF(6, 8, 9, 4.5));
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(17.5, 9.5), 1.3, 1.3);
        p.setBrush(kInk);
        for (int i = 0; i < 3; ++i) {
            p.drawRect(QRectF(6 + i * 3.2, 14.5, 2, 2));
        }
    } else if (key == QLatin1String("Copy")) {
        drawPage(p, QRectF(9, 2, 12, 15));
        drawPage(p, QRectF(3, 7, 12, 15));
        p.setPen(inkPen(1.0, kBlue));
        for (double y = 12; y < 20; y += 3) {
            p.drawLine(QPointF(5.5, y), QPointF(12.5, y));
        }
    } else if (key == QLatin1String("Cut")) {
        p.setPen(inkPen(1.8));
        p.drawLine(QPointF(9, 14.5), QPointF(17, 2.5));
        p.drawLine(QPointF(15, 14.5), QPointF(7, 2.5));
        p.setPen(inkPen(1.8, kRed));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(7.5, 18), 3.2, 3.2);
        p.drawEllipse(QPointF(16.5, 18), 3.2, 3.2);
    } else if (key == QLatin1String("Paste")) {
        p.setPen(inkPen());
        p.setBrush(QColor(0xc8, 0xa2, 0x6b));
        p.drawRoundedRect(QRectF(4, 4, 16, 18), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 8, 10, 11));
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(8, 2, 8, 4), 1, 1);
        p.setPen(inkPen(1.0, kBlue));
        p.drawLine(QPointF(9, 12), QPointF(15, 12));
        p.drawLine(QPointF(9, 15), QPointF(15, 15));
    } else if (key == QLatin1String("Undo")) {
        drawCurvedArrow(p);
    } else if (key == QLatin1String("Redo")) {
        p.translate(24, 0);
        p.scale(-1, 1);
        drawCurvedArrow(p);
    } else if (key == QLatin1String("Find")) {
        p.setPen(inkPen(3.0));
        p.drawLine(QPointF(14.5, 14.5), QPointF(20.5, 20.5));
        p.setPen(inkPen(2.0));
        p.setBrush(QColor(0xd6, 0xe6, 0xfa));
        p.drawEllipse(QPointF(10, 10), 6.2, 6.2);
    } else if (key == QLatin1String("SimulationWithPC")) {
        p.setPen(inkPen());
        p.setBrush(kPanel);
        p.drawRoundedRect(QRectF(2, 3, 20, 14), 1.5, 1.5);
        p.drawLine(QPointF(12, 17), QPointF(12, 20));
        p.drawLine(QPointF(8, 21), QPointF(16, 21));
        drawPlay(p, QPointF(12, 10), 7);
    } else if (key == QLatin1String("SimulationWithPLC")) {
        drawModule(p, QRectF(3, 5, 18, 14));
        drawPlay(p, QPointF(12, 12), 7);
    } else if (key == QLatin1String("SimulationEnd")) {
        p.setPen(inkPen(1.2, kRed.darker(130)));
        p.setBrush(kRed);
        p.drawRoundedRect(QRectF(5, 5, 14, 14), 2.5, 2.5);
    } else if (key == QLatin1String("SimulationPause")) {
        p.setPen(inkPen(1.0, kBlue.darker(130)));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(6, 5, 4.5, 14), 1, 1);
        p.drawRoundedRect(QRectF(13.5, 5, 4.5, 14), 1, 1);
    } else if (key == QLatin1String("SimulationResume")) {
        drawPlay(p, QPointF(12, 12), 14);
    } else if (key == QLatin1String("SimulationStep")) {
        drawPlay(p, QPointF(10, 12), 12);
        p.setPen(inkPen(1.0, kBlue.darker(130)));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(17, 5, 3.5, 14), 1, 1);
    } else if (key == QLatin1String("SimulationTimeScale")) {
        // A speedometer with its needle well over to the fast side.
        p.setPen(inkPen(1.6));
        p.setBrush(kPaper);
        p.drawChord(QRectF(2, 5, 20, 20), 0, 180 * 16);
        p.setPen(inkPen(1.0));
        for (int i = 0; i <= 4; ++i) {
            p.save();
            p.translate(12, 15);
            p.rotate(-90 + i * 45);
            p.drawLine(QPointF(0, -8.5), QPointF(0, -6.5));
            p.restore();
        }
        p.setPen(inkPen(2.0, kRed));
        p.drawLine(QPointF(12, 15), QPointF(18, 9.5));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(12, 15), 1.6, 1.6);
    } else if (key == QLatin1String("Parameters")) {
        const double knobs[3] = {8, 15, 11};
        for (int i = 0; i < 3; ++i) {
            const double y = 6 + i * 6;
            p.setPen(inkPen(1.6));
            p.drawLine(QPointF(3, y), QPointF(21, y));
            p.setPen(inkPen(1.2));
            p.setBrush(i == 1 ? kBlue : kPaper);
            p.drawEllipse(QPointF(knobs[i], y), 2.4, 2.4);
        }
    } else if (key == QLatin1String("Transfer")) {
        drawModule(p, QRectF(13, 5, 9, 14));
        p.setPen(inkPen(2.2, kBlue));
        p.drawLine(QPointF(2, 12), QPointF(9, 12));
        p.setPen(inkPen(1.0, kBlue));
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF({QPointF(8, 8), QPointF(12, 12), QPointF(8, 16)}));
    } else if (key == QLatin1String("ClockTransfer")) {
        p.setPen(inkPen(1.6));
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.setPen(inkPen(1.0));
        for (int i = 0; i < 12; i += 3) {
            p.save();
            p.translate(12, 12);
            p.rotate(i * 30);
            p.drawLine(QPointF(0, -7.5), QPointF(0, -6));
            p.restore();
        }
        p.setPen(inkPen(1.8, kBlue));
        p.drawLine(QPointF(12, 12), QPointF(12, 6.5));
        p.drawLine(QPointF(12, 12), QPointF(16, 14));
    } else if (key == QLatin1String("Help")) {
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.setPen(kPaper);
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(15);
        p.setFont(font);
        p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
    }
}

}  // namespace

QIcon ToolbarIcon(const QString& key) {
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(24 * scale, 24 * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        paintIcon(painter, key);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace bdx
