#pragma once

#include <QByteArray>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QPainter;

namespace ui {

enum class FigureFormat { Png, Svg, Pdf };

/// The colour scales of heat maps: viridis, cividis (the same lightness for every kind of
/// colour vision) and greys (for print in black).
enum class ColourScale { Viridis, Cividis, Greys };

/// How every figure is drawn, in the windows and on the command line alike: its size (in
/// centimetres or pixels; a side left at 0 follows the figure's own proportions, both at 0 its
/// own size), its resolution (pixels per inch of a PNG, and what a pixel measures on the paper
/// of an SVG or PDF), the font and the colour scale; and which files the command line writes.
struct FigureSettings {
    static constexpr int kScreenResolution = 96;  // the resolution of the figures' own sizes

    double width = 0, height = 0;
    bool centimetres = true;
    int resolution = kScreenResolution;
    QString fontFamily;  // empty: the application's
    double fontPoints = 9;
    ColourScale scale = ColourScale::Viridis;
    std::vector<FigureFormat> formats{FigureFormat::Png, FigureFormat::Svg};

    /// How much larger than on screen the figure is drawn: resolution / 96.
    double Magnification() const { return double(resolution) / kScreenResolution; }
    /// The pixels of the figure whose own size at this resolution is `natural`.
    QSize PixelSize(QSize natural) const;
    /// The font, sized in pixels of this resolution.
    QFont Font() const;
};

/// The figure settings last used in the windows (QSettings), and their keeping.
FigureSettings LastFigureSettings();
void KeepFigureSettings(const FigureSettings& settings);

/// "viridis", "cividis", "grises" and back; nothing for any other name.
QString ColourScaleName(ColourScale scale);
std::optional<ColourScale> ColourScaleNamed(const QString& name);

/// Draws a figure into `area` (origin at the top left, the figure's size in pixels).
using FigurePainter = std::function<void(QPainter& painter, const QRect& area)>;

/// The format a file name asks for by its extension (".png", ".svg", ".pdf", any case);
/// nothing for any other name.
std::optional<FigureFormat> FigureFormatOf(const QString& path);

/// The bytes of the figure drawn by `paint` on a `size` pixel page: a PNG image on white, an
/// SVG document, or a one-page PDF whose page has the figure's proportions; `resolution`
/// pixels make an inch of its paper (and are written in the PNG).
QByteArray RenderFigure(FigureFormat format, QSize size, const FigurePainter& paint,
                        int resolution = FigureSettings::kScreenResolution);

/// Renders the figure and replaces the file at `path` with it at once (nothing half written:
/// toolkit::SaveFileAtomically). Throws toolkit::FileError with a Spanish message.
void SaveFigure(const QString& path, FigureFormat format, QSize size, const FigurePainter& paint,
                int resolution = FigureSettings::kScreenResolution);
/// The same with the format taken from the extension; any other extension is refused.
void SaveFigure(const QString& path, QSize size, const FigurePainter& paint,
                int resolution = FigureSettings::kScreenResolution);
/// ".png", ".svg", ".pdf".
QString FigureExtension(FigureFormat format);

}  // namespace ui
