#include "tones_chart/chart_files.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>

#include "tones_chart/chart_painter.h"

namespace mk843nb::tones {

std::optional<ChartFormat> ChartFormatOf(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".svg") return ChartFormat::Svg;
    if (extension == ".png") return ChartFormat::Png;
    return std::nullopt;
}

std::string ChartFileBytes(const ChartLayout& layout, ChartFormat format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == ChartFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(layout.size.width, layout.size.height));
        svg.setViewBox(QRect(0, 0, layout.size.width, layout.size.height));
        svg.setTitle(QString::fromStdString(layout.title));
        QPainter painter;
        if (!painter.begin(&svg)) return {};
        PaintChart(painter, layout);
        painter.end();
    } else {
        QImage image(layout.size.width, layout.size.height, QImage::Format_RGB32);
        if (image.isNull()) return {};
        QPainter painter(&image);
        PaintChart(painter, layout);
        painter.end();
        if (!image.save(&buffer, "PNG")) return {};
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace mk843nb::tones
