#include "text_page_writer.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <algorithm>

namespace bdx {

namespace {

// The widest header label fits between two tab stops, so a label and its two tabs always end
// on the second stop and the continuation lines of a long path line up under the value.
const QString kWidestLabel = QStringLiteral("Approved by  : ");

}  // namespace

TextPageStyle GridTextStyle() {
    return {QStringLiteral("Liberation Mono"), 8.5};
}

void SetUpTextPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
}

bool WriteTextPages(const PrintPages& pages, QPagedPaintDevice& device, const TextPageStyle& style) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    QFont font(style.fontFamily);
    font.setPointSizeF(style.pointSize);
    font.setStyleHint(QFont::SansSerif);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    const QRectF area = device.pageLayout().paintRectPixels(device.logicalDpiX());
    // Every page of the frame fits, however the device measures its lines.
    const qreal lineHeight = std::min(metrics.lineSpacing(), area.height() / kPageLines);

    // Text layout measures tab stops at the screen's resolution and scales them to the device.
    const QFontMetricsF screenMetrics(font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(screenMetrics.horizontalAdvance(kWidestLabel) +
                              screenMetrics.averageCharWidth());

    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        qreal y = 0;
        for (const QString& text : pages[page]) {
            QTextLayout layout(text, font, &device);
            layout.setTextOption(option);
            layout.beginLayout();
            QTextLine line = layout.createLine();
            if (line.isValid()) {
                line.setLineWidth(area.width());
            }
            layout.endLayout();
            layout.draw(&painter, QPointF(0, y));
            y += lineHeight;
        }
    }
    return painter.end();
}

bool WriteTextPdf(const PrintPages& pages, const QString& path, const QString& title,
                  const TextPageStyle& style, QString* error) {
    // QPdfWriter says nothing about a file it cannot create; find out first.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    QPdfWriter writer(&file);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("BrantelDesk X"));
    SetUpTextPage(writer);
    if (!WriteTextPages(pages, writer, style)) {
        if (error != nullptr) {
            *error = QStringLiteral("the pages could not be drawn");
        }
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

}  // namespace bdx
