#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

class QPainter;

namespace ui {

enum class FigureFormat { Png, Svg, Pdf };

/// Draws a figure into `area` (origin at the top left, the figure's size in pixels).
using FigurePainter = std::function<void(QPainter& painter, const QRect& area)>;

/// The format a file name asks for by its extension (".png", ".svg", ".pdf", any case);
/// nothing for any other name.
std::optional<FigureFormat> FigureFormatOf(const QString& path);

/// The bytes of the figure drawn by `paint` on a `size` pixel page: a PNG image on white, an
/// SVG document, or a one-page PDF whose page has the figure's proportions.
QByteArray RenderFigure(FigureFormat format, QSize size, const FigurePainter& paint);

/// Renders the figure and replaces the file at `path` with it at once (nothing half written:
/// toolkit::SaveFileAtomically). Throws toolkit::FileError with a Spanish message.
void SaveFigure(const QString& path, FigureFormat format, QSize size, const FigurePainter& paint);
/// The same with the format taken from the extension; any other extension is refused.
void SaveFigure(const QString& path, QSize size, const FigurePainter& paint);

}  // namespace ui
