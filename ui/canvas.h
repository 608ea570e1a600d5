#pragma once

#include <QColor>
#include <QString>

class QPainter;

namespace ui {

/// The drawing operations the plot uses, in client pixels. The window draws through a
/// QPainter; tests record the calls.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void SetPenColor(const QColor& color) = 0;
    virtual void SetBrushColor(const QColor& color) = 0;
    virtual void MoveTo(int x, int y) = 0;
    /// A line from the pen position to (x, y), which becomes the pen position.
    virtual void LineTo(int x, int y) = 0;
    /// Outlined with the pen and filled with the brush; covers x1 … x2 − 1, y1 … y2 − 1.
    virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
    /// Text with its top left corner at (x, y), on the brush colour; a text wider than
    /// `maxWidth` pixels is shortened visibly with "…" rather than run into what follows.
    virtual void TextOut(int x, int y, const QString& text, int maxWidth) = 0;
};

class PainterCanvas : public Canvas {
public:
    explicit PainterCanvas(QPainter& painter);
    void SetPenColor(const QColor& color) override;
    void SetBrushColor(const QColor& color) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void TextOut(int x, int y, const QString& text, int maxWidth) override;

private:
    QPainter& painter_;
    QColor pen_{Qt::black};
    QColor brush_{Qt::white};
    int x_ = 0;
    int y_ = 0;
};

}  // namespace ui
