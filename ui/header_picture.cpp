#include "ui/header_picture.h"

#include <QPainter>

namespace velmora {

QPixmap headerPicture() {
    QPixmap picture(46, 48);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Antenna with its tip.
    painter.fillRect(29, 3, 3, 13, Qt::darkGray);
    painter.fillRect(28, 1, 5, 3, Qt::black);

    // Waves leaving the tip.
    painter.setPen(QPen(Qt::darkBlue, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(34, 0, 6, 8, -60 * 16, 120 * 16);
    painter.drawArc(35, -3, 10, 14, -60 * 16, 120 * 16);

    // Body.
    painter.setPen(Qt::black);
    painter.setBrush(Qt::darkGray);
    painter.drawRoundedRect(9, 15, 27, 32, 3, 3);
    painter.setBrush(Qt::lightGray);
    painter.drawRect(11, 17, 23, 28);

    // Display and channel knob.
    painter.fillRect(14, 19, 17, 7, Qt::darkGreen);
    painter.fillRect(15, 20, 15, 5, Qt::green);
    painter.fillRect(5, 20, 4, 6, Qt::black);

    // Speaker grille and the transmit lamp.
    painter.setPen(Qt::black);
    for (int y = 29; y <= 38; y += 3) {
        painter.drawLine(14, y, 31, y);
    }
    painter.fillRect(14, 41, 4, 2, Qt::red);
    painter.fillRect(27, 41, 4, 2, Qt::yellow);
    return picture;
}

} // namespace velmora
