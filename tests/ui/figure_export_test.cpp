// Figures written as files: each format is a file its readers accept, with what was drawn.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "experiments/file_io.h"
#include "ui/figure_export.h"

namespace {

// A red square in the top-left quarter and a number, so each format can be checked for both.
void Paint(QPainter& painter, const QRect& area) {
    painter.fillRect(QRect(0, 0, area.width() / 2, area.height() / 2), Qt::red);
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("0,4762"));
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(FigureExport, EachFormatIsAValidFileHoldingTheFigure) {
    QTemporaryDir dir;
    const QSize size(120, 80);

    const QString png = dir.filePath(QStringLiteral("f.PNG"));
    ui::SaveFigure(png, size, Paint);
    EXPECT_TRUE(Read(png).startsWith("\x89PNG\r\n\x1a\n"));
    const QImage image(png);
    ASSERT_EQ(image.size(), size);
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(110, 70), QColor(Qt::white));

    const QString svg = dir.filePath(QStringLiteral("f.svg"));
    ui::SaveFigure(svg, size, Paint);
    const QByteArray svgBytes = Read(svg);
    QXmlStreamReader xml(svgBytes);
    bool svgRoot = false;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("svg")) svgRoot = true;
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(svgRoot);
    EXPECT_TRUE(svgBytes.contains("0,4762"));

    const QString pdf = dir.filePath(QStringLiteral("f.pdf"));
    ui::SaveFigure(pdf, ui::FigureFormat::Pdf, size, Paint);
    const QByteArray pdfBytes = Read(pdf);
    EXPECT_TRUE(pdfBytes.startsWith("%PDF-"));
    EXPECT_TRUE(pdfBytes.trimmed().endsWith("%%EOF"));
}

TEST(FigureExport, UnknownFormatsAndEmptyFiguresAreRefusedLeavingNoFile) {
    QTemporaryDir dir;
    EXPECT_THROW(ui::SaveFigure(dir.filePath(QStringLiteral("f.jpg")), QSize(10, 10), Paint), experiments::FileError);
    EXPECT_THROW(ui::SaveFigure(dir.filePath(QStringLiteral("e.png")), QSize(0, 10), Paint), experiments::FileError);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

}  // namespace
