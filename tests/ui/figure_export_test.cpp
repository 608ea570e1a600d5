// Figures written as files: each format is a file its readers accept, with what was drawn.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "toolkit/file_io.h"
#include "tests/support.h"
#include "ui/figure_export.h"

namespace {

// A red square in the top-left quarter and a number, so each format can be checked for both.
void Paint(QPainter& painter, const QRect& area) {
    painter.fillRect(QRect(0, 0, area.width() / 2, area.height() / 2), Qt::red);
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("0,4762"));
}


TEST(FigureExport, EachFormatIsAValidFileHoldingTheFigureAndOthersAreRefusedLeavingNoFile) {
    QTemporaryDir dir;
    const QSize size(120, 80);
    const auto read = [&](const char* name) { return QByteArray::fromStdString(test_support::Contents(dir.filePath(name).toStdString())); };
    ui::SaveFigure(dir.filePath(QStringLiteral("f.PNG")), size, Paint);
    ui::SaveFigure(dir.filePath(QStringLiteral("f.svg")), size, Paint);
    ui::SaveFigure(dir.filePath(QStringLiteral("f.pdf")), ui::FigureFormat::Pdf, size, Paint);
    EXPECT_TRUE(read("f.PNG").startsWith("\x89PNG\r\n\x1a\n"));
    const QImage image(dir.filePath(QStringLiteral("f.PNG")));
    ASSERT_EQ(image.size(), size);
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(110, 70), QColor(Qt::white));

    const QByteArray svg = read("f.svg");
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(svg.contains("<svg") && svg.contains("0,4762"));
    const QByteArray pdf = read("f.pdf");
    EXPECT_TRUE(pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF"));

    EXPECT_THROW(ui::SaveFigure(dir.filePath(QStringLiteral("f.jpg")), QSize(10, 10), Paint), toolkit::FileError);
    EXPECT_THROW(ui::SaveFigure(dir.filePath(QStringLiteral("e.png")), QSize(0, 10), Paint), toolkit::FileError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 3);
}

}  // namespace
