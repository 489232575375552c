#pragma once
// The keyboard manners the program's dialogs share. Each time a dialog is
// shown, the focus starts in its first control that can take it; Tab walks
// the controls in the order they are seen (top to bottom, left to right);
// Enter presses the dialog's default button, and Escape closes it with
// nothing done (QDialog's own reject, which the dialogs leave alone).

#include <vector>

class QDialog;
class QPushButton;
class QWidget;

// `order` lists the dialog's controls in visual order; disabled or hidden
// ones are passed over when the first focus is placed. `defaultButton` is
// what Enter presses while the focus is not on another button.
void SetDialogKeys(QDialog* dialog, const std::vector<QWidget*>& order, QPushButton* defaultButton);

// The controls of a part of a dialog that take the focus by Tab, in the
// order they were made (which the parts keep as their visual order).
[[nodiscard]] std::vector<QWidget*> TabControlsOf(const QWidget* part);
