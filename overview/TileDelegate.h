#pragma once
// Draws an overview tile: a band in the colour of the unit's condition, the
// name and address, the condition in words (the colour is never the only
// sign), the four figures and the time since the last good reply.

#include "status/UnitCondition.h"

#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>

#include <optional>

[[nodiscard]] QColor ConditionColour(TUnitCondition condition);

class TTileDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override;

private:
    // Measured once per font: every tile has the same size, and the view asks
    // for it again at each change of a tile.
    struct TMetrics {
        QFont Font;
        int LineHeight = 0;
        QSize TileSize;
    };
    const TMetrics& MetricsFor(const QFont& font) const;

    mutable std::optional<TMetrics> FMetrics;
};
