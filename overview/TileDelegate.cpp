#include "overview/TileDelegate.h"

#include "overview/OverviewModel.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr int Band = 6;    // the condition's colour down the left edge
constexpr int Margin = 4;  // between tiles
constexpr int Padding = 4; // inside a tile
constexpr int Lines = 5;   // name, condition, two lines of figures, last reply

// Chinese glyphs come from a fallback font, often taller than the tile's own.
int LineHeight(const QFontMetrics& metrics) {
    return std::max(metrics.height(), metrics.boundingRect(QStringLiteral("负载电池")).height());
}
} // namespace

QColor ConditionColour(TUnitCondition condition) {
    switch (condition) {
    case TUnitCondition::Normal:
        return {46, 125, 50};
    case TUnitCondition::Alarm:
        return {230, 150, 0};
    case TUnitCondition::Bypass:
        return {200, 170, 0};
    case TUnitCondition::OnBattery:
        return {230, 90, 0};
    case TUnitCondition::NotCommunicating:
        return {130, 130, 130};
    case TUnitCondition::Fault:
        return {198, 40, 40};
    }
    return Qt::black;
}

void TTileDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    const auto* model = static_cast<const TOverviewModel*>(index.model());
    const TTileTexts& texts = model->TextsAt(index.row());
    const QColor strong = ConditionColour(model->TileAt(index.row()).Condition);
    const QRect tile = option.rect.adjusted(Margin / 2, Margin / 2, -Margin / 2, -Margin / 2);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool current = option.state & QStyle::State_HasFocus;
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(selected || current ? QPen(option.palette.highlight(), 2)
                                        : QPen(strong.darker(110), 1));
    QColor tint = strong;
    tint.setAlpha(28);
    painter->setBrush(option.palette.base());
    painter->drawRoundedRect(tile, 4, 4);
    painter->fillRect(tile.adjusted(1, 1, -1, -1), tint);
    painter->fillRect(QRect(tile.left() + 1, tile.top() + 1, Band, tile.height() - 1), strong);

    const QFontMetrics metrics(option.font);
    const int lineHeight = MetricsFor(option.font).LineHeight;
    QRect line(tile.left() + Band + Padding + 1, tile.top() + Padding,
               tile.width() - Band - 2 * Padding - 1, lineHeight);
    const QColor ink = option.palette.text().color();

    QFont bold = option.font;
    bold.setBold(true);
    painter->setFont(option.font);
    painter->setPen(ink);
    const int addressWidth = metrics.horizontalAdvance(texts.Address);
    painter->drawText(line, Qt::AlignRight | Qt::AlignVCenter, texts.Address);
    painter->setFont(bold);
    const QRect nameRect = line.adjusted(0, 0, -addressWidth - Padding, 0);
    painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(bold).elidedText(texts.Name, Qt::ElideRight, nameRect.width()));

    line.translate(0, lineHeight);
    painter->setPen(strong.darker(140));
    painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, texts.Condition);

    painter->setFont(option.font);
    painter->setPen(ink);
    const int half = line.width() / 2;
    for (int i = 0; i < 4; i += 2) {
        line.translate(0, lineHeight);
        painter->drawText(line.adjusted(0, 0, -half, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          texts.Figures.value(i));
        painter->drawText(line.adjusted(half, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          texts.Figures.value(i + 1));
    }
    line.translate(0, lineHeight);
    painter->setPen(option.palette.placeholderText().color());
    painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, texts.Since);
    painter->restore();
}

QSize TTileDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return MetricsFor(option.font).TileSize;
}

const TTileDelegate::TMetrics& TTileDelegate::MetricsFor(const QFont& font) const {
    if (FMetrics && FMetrics->Font == font)
        return *FMetrics;
    // Two figures side by side, the widest of them full.
    const QFontMetrics metrics(font);
    const int figure = std::max(metrics.horizontalAdvance(QStringLiteral("Battery 100 %")),
                                metrics.horizontalAdvance(QStringLiteral("Out 230.0 V")));
    const int lineHeight = LineHeight(metrics);
    FMetrics = TMetrics{font, lineHeight,
                        QSize(Band + 2 * (figure + 2 * Padding) + Margin,
                              Lines * lineHeight + 2 * Padding + Margin)};
    return *FMetrics;
}
