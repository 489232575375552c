#pragma once
// The overview's tiles as an item model, one row per shown unit, with the
// texts of the current language. A refresh that keeps the same units in the
// same order makes texts only for the tiles whose readings or step of time
// moved, and announces only the rows whose shown texts changed, so the view
// repaints those tiles and nothing else.

#include "overview/OverviewTile.h"

#include <QAbstractListModel>
#include <QStringList>

#include <vector>

// What a tile shows.
struct TTileTexts {
    QString Name;
    QString Address;     // "Address 12" / "地址 12"
    QString Condition;   // "On battery" / "电池供电"
    QStringList Figures; // load, battery, input, output
    QString Since;       // "Last reply 8 s" / "上次应答 8 s"
    QString Accessible;  // "<name>, address <n>, <condition>"

    bool operator==(const TTileTexts&) const = default;
};

[[nodiscard]] TTileTexts TileTexts(const TOverviewTile& tile, int64_t now, uint8_t language);

class TOverviewModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // The tiles to show, in their order.
    void Show(std::vector<TOverviewTile> tiles, int64_t now, uint8_t language);

    [[nodiscard]] const TOverviewTile& TileAt(int row) const { return FTiles[std::size_t(row)]; }
    [[nodiscard]] const TTileTexts& TextsAt(int row) const { return FTexts[std::size_t(row)]; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<TOverviewTile> FTiles;
    std::vector<TTileTexts> FTexts;
    std::vector<TSinceStep> FSince; // the step of time each row's texts were made in
    uint8_t FLanguage = 0;
};
