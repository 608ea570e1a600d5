#pragma once

#include <QColor>
#include <QString>
#include <vector>

#include "ui/canvas.h"

namespace ui_test {

/// Records every drawing call in order.
class RecordingCanvas : public ui::Canvas {
public:
    enum class Op { Pen, Brush, MoveTo, LineTo, Rectangle, TextOut };
    struct Call {
        Op op;
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        QColor color;
        QString text;
    };

    void SetPenColor(const QColor& color) override { calls.push_back({Op::Pen, 0, 0, 0, 0, color, {}}); }
    void SetBrushColor(const QColor& color) override { calls.push_back({Op::Brush, 0, 0, 0, 0, color, {}}); }
    void MoveTo(int x, int y) override { calls.push_back({Op::MoveTo, x, y, 0, 0, {}, {}}); }
    void LineTo(int x, int y) override { calls.push_back({Op::LineTo, x, y, 0, 0, {}, {}}); }
    void Rectangle(int x1, int y1, int x2, int y2) override {
        calls.push_back({Op::Rectangle, x1, y1, x2, y2, {}, {}});
    }
    void TextOut(int x, int y, const QString& text) override { calls.push_back({Op::TextOut, x, y, 0, 0, {}, text}); }

    std::vector<Call> calls;
};

}  // namespace ui_test
