#include "overview/OverviewModel.h"

#include "ui/ViewNumbers.h"

#include <algorithm>

namespace {

constexpr TTextPair LoadCaption = {"负载", "Load"};
constexpr TTextPair BatteryCaption = {"电池", "Battery"};
constexpr TTextPair InputCaption = {"输入", "In"};
constexpr TTextPair OutputCaption = {"输出", "Out"};
constexpr TTextPair LastReplyCaption = {"上次应答", "Last reply"};

QString Pick(const TTextPair& text, uint8_t language) {
    return QString::fromUtf8(PickText(text, language));
}

// "Load 45 %"; "Load --" for a unit without a reading.
QString FigureLine(const TTextPair& caption, uint8_t language, bool shown, double value,
                   int decimals, const char* unit) {
    return Pick(caption, language) + u' ' +
           (shown ? FixedText(value, decimals) + u' ' + QLatin1String(unit) : QStringLiteral("--"));
}

bool SameUnits(const std::vector<TOverviewTile>& a, const std::vector<TOverviewTile>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return x.Address == y.Address; });
}

} // namespace

TTileTexts TileTexts(const TOverviewTile& tile, int64_t now, uint8_t language) {
    const bool shown = tile.HasReading;
    return {
        .Name = QString::fromStdString(tile.Name),
        .Address = Pick(AddressText, language) + u' ' + QString::number(tile.Address),
        .Condition = Pick(UnitConditionText(tile.Condition), language),
        .Figures = {FigureLine(LoadCaption, language, shown, tile.LoadPct, 0, "%"),
                    FigureLine(BatteryCaption, language, shown, tile.BattCapacity, 0, "%"),
                    FigureLine(InputCaption, language, shown, tile.InputVolt, 1, "V"),
                    FigureLine(OutputCaption, language, shown, tile.OutputVolt, 1, "V")},
        .Since = Pick(LastReplyCaption, language) + u' ' +
                 QString::fromStdString(TileSinceText(tile, now, language)),
        .Accessible = QString::fromStdString(TileAccessibleName(tile, language)),
    };
}

void TOverviewModel::Show(std::vector<TOverviewTile> tiles, int64_t now, uint8_t language) {
    if (!SameUnits(tiles, FTiles)) {
        beginResetModel();
        FTiles = std::move(tiles);
        FTexts.clear();
        FSince.clear();
        for (const TOverviewTile& tile : FTiles) {
            FTexts.push_back(TileTexts(tile, now, language));
            FSince.push_back(TileSinceStep(tile, now));
        }
        FLanguage = language;
        endResetModel();
        return;
    }
    const bool relabel = language != FLanguage;
    FLanguage = language;
    for (std::size_t row = 0; row < tiles.size(); ++row) {
        // Most tiles keep their readings and their step of time from one
        // refresh to the next; only the others are put into words again.
        const TSinceStep since = TileSinceStep(tiles[row], now);
        if (!relabel && tiles[row] == FTiles[row] && since == FSince[row])
            continue;
        TTileTexts texts = TileTexts(tiles[row], now, language);
        FTiles[row] = std::move(tiles[row]);
        FSince[row] = since;
        // The colour follows the condition, whose text is among the texts.
        if (texts != FTexts[row]) {
            FTexts[row] = std::move(texts);
            const QModelIndex at = index(int(row));
            emit dataChanged(at, at);
        }
    }
}

int TOverviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FTiles.size());
}

QVariant TOverviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TTileTexts& texts = TextsAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return texts.Name;
    case Qt::AccessibleTextRole:
        return texts.Accessible;
    case Qt::ToolTipRole:
        return QStringList{texts.Accessible, texts.Figures.join(QStringLiteral(", ")), texts.Since}
            .join(u'\n');
    default:
        return {};
    }
}
