#include "overview/OverviewView.h"

#include "overview/OverviewModel.h"
#include "overview/TileDelegate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

namespace {
constexpr TTextPair OverviewCaption = {"总览", "Overview"};
constexpr TTextPair AttentionCaption = {"仅显示需要关注的设备(&A)",
                                        "Only units that need &attention"};
constexpr TTextPair OrderCaption = {"排序(&O):", "&Order:"};
constexpr TTextPair OrderTexts[] = {
    {"按地址", "By address"},
    {"按名称", "By name"},
    {"按状态（最严重在前）", "By state (worst first)"},
};

QString Pick(const TTextPair& text, uint8_t language) {
    return QString::fromUtf8(PickText(text, language));
}
} // namespace

TOverviewView::TOverviewView(QWidget* parent) : QWidget(parent), FModel(new TOverviewModel(this)) {
    setObjectName("OverviewPage");
    chkAttention = new QCheckBox(this);
    chkAttention->setObjectName("chkAttention");
    lblOrder = new QLabel(this);
    cbOrder = new QComboBox(this);
    cbOrder->setObjectName("cbOrder");
    for (std::size_t i = 0; i < std::size(OrderTexts); ++i)
        cbOrder->addItem(QString());
    lblOrder->setBuddy(cbOrder);

    lvTiles = new QListView(this);
    lvTiles->setObjectName("lvTiles");
    lvTiles->setViewMode(QListView::IconMode);
    lvTiles->setFlow(QListView::LeftToRight);
    lvTiles->setWrapping(true);
    lvTiles->setResizeMode(QListView::Adjust);
    lvTiles->setMovement(QListView::Static);
    lvTiles->setUniformItemSizes(true);
    lvTiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lvTiles->setItemDelegate(new TTileDelegate(lvTiles));
    lvTiles->setModel(FModel);

    auto* bar = new QHBoxLayout;
    bar->addWidget(chkAttention);
    bar->addStretch(1);
    bar->addWidget(lblOrder);
    bar->addWidget(cbOrder);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(lvTiles, 1);

    connect(chkAttention, &QCheckBox::toggled, this, [this] { Refresh(FLastNow); });
    connect(cbOrder, &QComboBox::currentIndexChanged, this, [this] { Refresh(FLastNow); });
    // Enter on the current tile, or a double-click.
    connect(lvTiles, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit UnitChosen(FModel->TileAt(index.row()).Address);
    });
    ApplyLanguage(0);
}

void TOverviewView::ApplyLanguage(uint8_t language) {
    FLanguage = language;
    chkAttention->setText(Pick(AttentionCaption, language));
    lblOrder->setText(Pick(OrderCaption, language));
    for (int i = 0; i < cbOrder->count(); ++i)
        cbOrder->setItemText(i, Pick(OrderTexts[i], language));
    cbOrder->setAccessibleName(lblOrder->text().remove(u'&').remove(u':'));
    lvTiles->setAccessibleName(Pick(OverviewCaption, language));
    Refresh(FLastNow);
}

void TOverviewView::Refresh(int64_t now) {
    FLastNow = now;
    std::vector<TOverviewTile> tiles = CollectTiles();
    ArrangeTiles(tiles, Order(), chkAttention->isChecked());
    FModel->Show(std::move(tiles), now, FLanguage);
}

TOverviewOrder TOverviewView::Order() const {
    switch (cbOrder->currentIndex()) {
    case 1:
        return TOverviewOrder::Name;
    case 2:
        return TOverviewOrder::State;
    default:
        return TOverviewOrder::Address;
    }
}
