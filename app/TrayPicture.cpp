#include "app/TrayPicture.h"

#include "app/AppIcon.h"

#include <QPainter>
#include <QPixmap>

#include <array>

namespace {
// Indexed by TBusState.
constexpr std::array<QRgb, BusStateCount> DiscColours = {
    0xff2e9e3e, // normal
    0xffe8c31c, // alarm
    0xfff07818, // on battery
    0xffd42a2a, // not communicating
    0xff8a8a8a, // port closed
};
} // namespace

QIcon TrayPicture(TBusState state) {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap picture = QPixmap::fromImage(RenderAppIcon(size));
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal disc = size * 0.55;
        const QRectF where(size - disc, size - disc, disc, disc);
        painter.setPen(QPen(Qt::white, std::max<qreal>(1.0, size / 16.0)));
        painter.setBrush(QColor::fromRgba(DiscColours[static_cast<std::size_t>(state)]));
        painter.drawEllipse(where.adjusted(0.5, 0.5, -0.5, -0.5));
        icon.addPixmap(picture);
    }
    return icon;
}
