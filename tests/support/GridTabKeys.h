#pragma once
// Checks of a grid's keys in a shown window (ui/GridKeys.h): Tab leaves the
// grid and Shift+Tab comes back to it, with the current cell kept; Ctrl+Tab
// and Ctrl+Shift+Tab move the current cell inside it. Call with QVERIFY or
// check QTest::currentTestFailed() after them.

#include <QAbstractItemView>
#include <QTest>

inline void VerifyTabLeavesGrid(QAbstractItemView* grid) {
    QWidget* window = grid->window();
    grid->setFocus(Qt::TabFocusReason);
    QCOMPARE(window->focusWidget(), grid);
    const QModelIndex current = grid->currentIndex();
    QTest::keyClick(grid, Qt::Key_Tab);
    QWidget* next = window->focusWidget();
    QVERIFY(next != nullptr && next != grid);
    QCOMPARE(grid->currentIndex(), current);
    QTest::keyClick(next, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(window->focusWidget(), grid);
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(window->focusWidget() != grid);
}

inline void VerifyCtrlTabMovesInside(QAbstractItemView* grid) {
    const QAbstractItemModel* model = grid->model();
    QVERIFY(model->rowCount() >= 2 && model->columnCount() >= 2);
    const int last = model->columnCount() - 1;
    grid->setFocus(Qt::TabFocusReason);
    grid->setCurrentIndex(model->index(0, last - 1));
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(grid->currentIndex(), model->index(0, last));
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier); // on to the next row
    QCOMPARE(grid->currentIndex(), model->index(1, 0));
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(grid->currentIndex(), model->index(0, last));
    QCOMPARE(grid->window()->focusWidget(), grid);
}
