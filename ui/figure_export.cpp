#include "ui/figure_export.h"
#include "ui/argument_bytes.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSettings>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "toolkit/file_io.h"

namespace ui {

namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

toolkit::FileError RenderError(const QString& path) {
    return toolkit::FileError("No se ha podido dibujar la figura «" +
                                  toolkit::ShortPath(Utf8(path)) + "»: demasiado grande");
}

}  // namespace

std::optional<FigureFormat> FigureFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) return FigureFormat::Png;
    if (suffix == QLatin1String("svg")) return FigureFormat::Svg;
    if (suffix == QLatin1String("pdf")) return FigureFormat::Pdf;
    return std::nullopt;
}

QSize FigureSettings::PixelSize(QSize natural) const {
    const auto pixels = [&](double length) {
        return static_cast<int>(std::lround(centimetres ? length / 2.54 * resolution : length));
    };
    if (width <= 0 && height <= 0) return natural;
    if (natural.isEmpty()) natural = QSize(1, 1);
    // A side left out keeps the figure's own proportions.
    const int w = width > 0 ? pixels(width) : static_cast<int>(std::lround(double(pixels(height)) * natural.width() / natural.height()));
    const int h = height > 0 ? pixels(height) : static_cast<int>(std::lround(double(pixels(width)) * natural.height() / natural.width()));
    return {std::max(w, 1), std::max(h, 1)};
}

QFont FigureSettings::Font() const {
    QFont font = QApplication::font();
    if (!fontFamily.isEmpty()) font.setFamily(fontFamily);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(fontPoints * resolution / 72.0))));
    return font;
}

QString ColourScaleName(ColourScale scale) {
    switch (scale) {
    case ColourScale::Cividis: return QStringLiteral("cividis");
    case ColourScale::Greys: return QStringLiteral("grises");
    case ColourScale::Viridis: break;
    }
    return QStringLiteral("viridis");
}

std::optional<ColourScale> ColourScaleNamed(const QString& name) {
    for (const ColourScale scale : {ColourScale::Viridis, ColourScale::Cividis, ColourScale::Greys})
        if (name == ColourScaleName(scale)) return scale;
    if (name == QLatin1String("greys")) return ColourScale::Greys;
    return std::nullopt;
}

FigureSettings LastFigureSettings() {
    const QSettings stored(QCoreApplication::applicationName(), QStringLiteral("figuras"));
    FigureSettings s;
    s.width = std::max(0.0, stored.value(QStringLiteral("figura/ancho"), 0.0).toDouble());
    s.height = std::max(0.0, stored.value(QStringLiteral("figura/alto"), 0.0).toDouble());
    s.centimetres = stored.value(QStringLiteral("figura/unidad"), QStringLiteral("cm")).toString() != QLatin1String("px");
    s.resolution = std::clamp(stored.value(QStringLiteral("figura/ppp"), s.resolution).toInt(), 30, 1200);
    s.fontFamily = stored.value(QStringLiteral("figura/fuente"), QString()).toString();
    s.fontPoints = std::clamp(stored.value(QStringLiteral("figura/puntos"), s.fontPoints).toDouble(), 4.0, 72.0);
    s.scale = ColourScaleNamed(stored.value(QStringLiteral("figura/escala")).toString()).value_or(ColourScale::Viridis);
    return s;
}

void KeepFigureSettings(const FigureSettings& s) {
    QSettings stored(QCoreApplication::applicationName(), QStringLiteral("figuras"));
    stored.setValue(QStringLiteral("figura/ancho"), s.width);
    stored.setValue(QStringLiteral("figura/alto"), s.height);
    stored.setValue(QStringLiteral("figura/unidad"), s.centimetres ? QStringLiteral("cm") : QStringLiteral("px"));
    stored.setValue(QStringLiteral("figura/ppp"), s.resolution);
    stored.setValue(QStringLiteral("figura/fuente"), s.fontFamily);
    stored.setValue(QStringLiteral("figura/puntos"), s.fontPoints);
    stored.setValue(QStringLiteral("figura/escala"), ColourScaleName(s.scale));
}

QString FigureExtension(FigureFormat format) {
    switch (format) {
    case FigureFormat::Svg: return QStringLiteral(".svg");
    case FigureFormat::Pdf: return QStringLiteral(".pdf");
    case FigureFormat::Png: break;
    }
    return QStringLiteral(".png");
}

QByteArray RenderFigure(FigureFormat format, QSize size, const FigurePainter& paint, int resolution) {
    const QRect area(QPoint(0, 0), size);
    QByteArray bytes;
    if (size.isEmpty()) return bytes;
    switch (format) {
    case FigureFormat::Png: {
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull()) return bytes;
        image.fill(Qt::white);
        const int dotsPerMetre = static_cast<int>(std::lround(resolution / 0.0254));
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            paint(painter, area);
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) bytes.clear();
        return bytes;
    }
    case FigureFormat::Svg: {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(area);
        generator.setResolution(resolution);
        QPainter painter;
        if (!painter.begin(&generator)) return {};
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter, area);
        painter.end();
        return bytes;
    }
    case FigureFormat::Pdf: {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(resolution);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(size) * 72.0 / resolution, QPageSize::Point),
                                         QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer)) return {};
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter, area);
        painter.end();
        return bytes;
    }
    }
    return bytes;
}

void SaveFigure(const QString& path, FigureFormat format, QSize size, const FigurePainter& paint, int resolution) {
    const QByteArray bytes = RenderFigure(format, size, paint, resolution);
    if (bytes.isEmpty()) throw RenderError(path);
    // The name by its bytes: a folder given on the command line need not be UTF-8.
    toolkit::SaveFileAtomically(std::filesystem::path(FileName(path)),
                                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void SaveFigure(const QString& path, QSize size, const FigurePainter& paint, int resolution) {
    const std::optional<FigureFormat> format = FigureFormatOf(path);
    if (!format)
        throw toolkit::FileError("No se ha podido guardar la figura «" + toolkit::ShortPath(Utf8(path)) +
                                     "»: el nombre ha de acabar en .png, .svg o .pdf");
    SaveFigure(path, *format, size, paint, resolution);
}

}  // namespace ui
