#pragma once

#include <QColor>
#include <QWidget>

namespace ui {

/// A pie segment: the sector of the ellipse inscribed in the control from StartAngle to
/// EndAngle, in degrees counterclockwise from three o'clock. Equal angles draw no sector,
/// except that 0 to 360 is the whole ellipse.
class Pie : public QWidget {
public:
    explicit Pie(QWidget* parent = nullptr);

    int StartAngle() const { return startAngle_; }
    int EndAngle() const { return endAngle_; }
    void SetStartAngle(int degrees);
    void SetEndAngle(int degrees);
    void SetAngles(int start, int end);

    /// Sweep of the sector in degrees, 0 … 360.
    int SweepAngle() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int startAngle_ = 0;
    int endAngle_ = 0;
};

}  // namespace ui
