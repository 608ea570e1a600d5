#include "ui/pie.h"

#include <QPainter>

namespace ui {

Pie::Pie(QWidget* parent) : QWidget(parent) {}

void Pie::SetStartAngle(int degrees) { SetAngles(degrees, endAngle_); }

void Pie::SetEndAngle(int degrees) { SetAngles(startAngle_, degrees); }

void Pie::SetAngles(int start, int end) {
    if (start == startAngle_ && end == endAngle_) return;
    startAngle_ = start;
    endAngle_ = end;
    update();
}

int Pie::SweepAngle() const {
    if (endAngle_ == startAngle_) return 0;
    const int sweep = ((endAngle_ - startAngle_) % 360 + 360) % 360;
    return sweep == 0 ? 360 : sweep;
}

void Pie::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -1.5, -1.5);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(box);
    const int sweep = SweepAngle();
    if (sweep == 0) return;
    painter.setBrush(QColor(0, 0, 255));
    if (sweep == 360) painter.drawEllipse(box);
    else painter.drawPie(box, startAngle_ * 16, sweep * 16);
}

}  // namespace ui
