#include "logviews/LogGrid.h"

#include "logviews/GridModel.h"
#include "ui/GridKeys.h"

#include <QHeaderView>
#include <QMouseEvent>

TLogGrid::TLogGrid(QWidget* parent) : QTableView(parent), FModel(new TGridModel(this)) {
    setModel(FModel);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    LetTabLeaveGrid(this);
    setWordWrap(false);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->viewport()->installEventFilter(this);
}

void TLogGrid::SetSource(const TGridSource* source) {
    FModel->SetSource(source);
}

void TLogGrid::Reload() {
    FModel->Reload();
}

void TLogGrid::FitColumns(int minWidth, const QStringList& samples) {
    const QFontMetrics headerMetrics(horizontalHeader()->font());
    const QFontMetrics cellMetrics(font());
    for (int col = 0; col < FModel->columnCount(); ++col) {
        const QString text = FModel->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
        // Room for the margins and the sort arrow.
        int width = std::max(minWidth, headerMetrics.horizontalAdvance(text) + 28);
        if (col < samples.size())
            width = std::max(width, cellMetrics.horizontalAdvance(samples[col]) + 12);
        setColumnWidth(col, width);
    }
}

void TLogGrid::ShowSortArrow(int col, bool descending) {
    // Qt draws its ascending indicator pointing down; users of desktop grids
    // read an upward arrow as ascending, so the order given is the other one.
    horizontalHeader()->setSortIndicator(col,
                                         descending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TLogGrid::MoveCursorTo(int row) {
    const QModelIndex index = FModel->index(row, 0);
    if (!index.isValid())
        return;
    setCurrentIndex(index);
    scrollTo(index);
}

bool TLogGrid::eventFilter(QObject* watched, QEvent* event) {
    // A click sorts; a press on a column border starts a resize instead.
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::MouseButton button = mouse->button();
        if (button == Qt::LeftButton || button == Qt::MiddleButton) {
            QHeaderView* header = horizontalHeader();
            const int x = mouse->position().toPoint().x();
            const int col = header->logicalIndexAt(x);
            const int left = header->sectionViewportPosition(col);
            const bool onBorder =
                col >= 0 && (x - left < 4 || left + header->sectionSize(col) - x < 4);
            if (col >= 0 && (!onBorder || button == Qt::MiddleButton))
                emit HeaderClicked(col);
        }
    }
    return QTableView::eventFilter(watched, event);
}
