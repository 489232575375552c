#include "ui/DialogKeys.h"

#include <QDialog>
#include <QEvent>
#include <QPushButton>

#include <vector>

namespace {

// Puts the focus into the first control that can take it whenever the dialog
// is shown, so that a dialog shown again does not start where it was left.
// A dialog that enables its controls only once it is active (and so had none
// to offer when shown) gets its first focus then, after its own handlers.
class TFirstFocus : public QObject {
public:
    TFirstFocus(QDialog* dialog, std::vector<QWidget*> order)
        : QObject(dialog), FDialog(dialog), FOrder(std::move(order)) {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == FDialog && event->type() == QEvent::Show)
            PlaceFocus();
        else if (watched == FDialog && event->type() == QEvent::WindowActivate &&
                 FDialog->focusWidget() == nullptr)
            QMetaObject::invokeMethod(
                this, [this] { PlaceFocus(); }, Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }

private:
    void PlaceFocus() {
        for (QWidget* control : FOrder) {
            if (control->isEnabled() && control->isVisibleTo(FDialog) &&
                control->focusPolicy() != Qt::NoFocus) {
                control->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
    }

    QDialog* FDialog;
    std::vector<QWidget*> FOrder;
};

} // namespace

void SetDialogKeys(QDialog* dialog, const std::vector<QWidget*>& controls,
                   QPushButton* defaultButton) {
    for (std::size_t i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
    // Only the chosen button answers Enter from an input; the others press
    // on Enter only while they hold the focus themselves.
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        button->setDefault(button == defaultButton);
    new TFirstFocus(dialog, controls);
}

std::vector<QWidget*> TabControlsOf(const QWidget* part) {
    std::vector<QWidget*> controls;
    for (QWidget* child : part->findChildren<QWidget*>())
        if (child->focusPolicy() & Qt::TabFocus)
            controls.push_back(child);
    return controls;
}
