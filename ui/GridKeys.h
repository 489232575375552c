#pragma once
// Keys of a grid in a window. Tab and Shift+Tab leave it for the next or the
// previous control, as everywhere else in the window, so that a keyboard user
// is never caught in a grid of thousands of cells. Ctrl+Tab and Ctrl+Shift+Tab
// move the current cell to the next or the previous one inside it (along the
// row, then on to the next row); the arrow keys move as always.

class QAbstractItemView;

void LetTabLeaveGrid(QAbstractItemView* grid);
