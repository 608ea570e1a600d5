#include "ui/figure_export.h"
#include "ui/argument_bytes.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <filesystem>
#include <string>

#include "toolkit/file_io.h"

namespace ui {

namespace {

// Every figure is drawn in pixels; the PDF and SVG say how large a pixel is on paper.
constexpr int kResolution = 96;

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

QByteArray RenderFigure(FigureFormat format, QSize size, const FigurePainter& paint) {
    const QRect area(QPoint(0, 0), size);
    QByteArray bytes;
    if (size.isEmpty()) return bytes;
    switch (format) {
    case FigureFormat::Png: {
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull()) return bytes;
        image.fill(Qt::white);
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
        generator.setResolution(kResolution);
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
        writer.setResolution(kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(size) * 72.0 / kResolution, QPageSize::Point),
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

void SaveFigure(const QString& path, FigureFormat format, QSize size, const FigurePainter& paint) {
    const QByteArray bytes = RenderFigure(format, size, paint);
    if (bytes.isEmpty()) throw RenderError(path);
    // The name by its bytes: a folder given on the command line need not be UTF-8.
    toolkit::SaveFileAtomically(std::filesystem::path(FileName(path)),
                                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void SaveFigure(const QString& path, QSize size, const FigurePainter& paint) {
    const std::optional<FigureFormat> format = FigureFormatOf(path);
    if (!format)
        throw toolkit::FileError("No se ha podido guardar la figura «" + toolkit::ShortPath(Utf8(path)) +
                                     "»: el nombre ha de acabar en .png, .svg o .pdf");
    SaveFigure(path, *format, size, paint);
}

}  // namespace ui
