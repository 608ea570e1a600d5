#include "ui/canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <utility>

namespace ui {

PainterCanvas::PainterCanvas(QPainter& painter) : painter_(painter) {}

void PainterCanvas::SetPenColor(const QColor& color) { pen_ = color; }

void PainterCanvas::SetBrushColor(const QColor& color) { brush_ = color; }

void PainterCanvas::MoveTo(int x, int y) {
    x_ = x;
    y_ = y;
}

void PainterCanvas::LineTo(int x, int y) {
    painter_.setPen(QPen(pen_, 1));
    painter_.drawLine(x_, y_, x, y);
    x_ = x;
    y_ = y;
}

void PainterCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    // A one-pixel pen on a w − 1 × h − 1 rectangle covers exactly x1 … x2 − 1, y1 … y2 − 1.
    painter_.setPen(QPen(pen_, 1));
    painter_.setBrush(brush_);
    painter_.drawRect(x1, y1, std::max(0, x2 - x1 - 1), std::max(0, y2 - y1 - 1));
}

void PainterCanvas::TextOut(int x, int y, const QString& text, int maxWidth) {
    const QFontMetrics metrics(painter_.font());
    const QString shown = metrics.horizontalAdvance(text) <= maxWidth ? text : metrics.elidedText(text, Qt::ElideRight, maxWidth);
    const QRect box(x, y, metrics.horizontalAdvance(shown), metrics.height());
    painter_.fillRect(box, brush_);
    painter_.setPen(QPen(Qt::black));
    painter_.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
}

}  // namespace ui
