#include "ui/GridKeys.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace {
class TGridTabKeys : public QObject {
public:
    explicit TGridTabKeys(QAbstractItemView* grid) : QObject(grid), FGrid(grid) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != FGrid || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & Qt::ControlModifier))
            return false;
        if (key->key() == Qt::Key_Tab)
            Step(+1);
        else if (key->key() == Qt::Key_Backtab)
            Step(-1);
        else
            return false;
        return true;
    }

private:
    // The cell after or before the current one, row after row; it stays at
    // the first and the last cell.
    void Step(int direction) {
        const QAbstractItemModel* model = FGrid->model();
        const int rows = model ? model->rowCount(FGrid->rootIndex()) : 0;
        const int columns = model ? model->columnCount(FGrid->rootIndex()) : 0;
        if (rows == 0 || columns == 0)
            return;
        const QModelIndex current = FGrid->currentIndex();
        const long long cell =
            current.isValid() ? (long long)current.row() * columns + current.column() + direction
                              : 0;
        if (cell < 0 || cell >= (long long)rows * columns)
            return;
        FGrid->setCurrentIndex(
            model->index(int(cell / columns), int(cell % columns), FGrid->rootIndex()));
    }

    QAbstractItemView* FGrid;
};
} // namespace

void LetTabLeaveGrid(QAbstractItemView* grid) {
    grid->setTabKeyNavigation(false);
    grid->installEventFilter(new TGridTabKeys(grid));
}
