#include "control/ControlPrompt.h"

#include "record/EquipList.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace {
constexpr TTextPair TxtUnit{"%1（地址 %2）", "%1 (address %2)"};
constexpr TTextPair TxtConfirm{"确认", "Confirm"};
constexpr TTextPair TxtYes{"是", "Yes"};
constexpr TTextPair TxtNo{"否", "No"};
} // namespace

QString UnitCaption(uint8_t address) {
    QString name;
    for (int pos = 1; pos <= EquipList.Count; ++pos)
        if (EquipList.At(pos).Address == address)
            name = QString::fromStdString(EquipList.At(pos).Name);
    return CurrentText(TxtUnit).arg(name).arg(address);
}

QString TitleForUnit(const TTextPair& caption, uint8_t address) {
    return CurrentText(caption) + " - " + UnitCaption(address);
}

TConfirmUser MessageBoxConfirm() {
    return [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::Warning, CurrentText(TxtConfirm), text, QMessageBox::NoButton,
                        parent);
        QPushButton* yes = box.addButton(CurrentText(TxtYes), QMessageBox::YesRole);
        QPushButton* no = box.addButton(CurrentText(TxtNo), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    };
}

TNumberKeyFilter::TNumberKeyFilter(bool allowPoint, QObject* parent)
    : QObject(parent), FAllowPoint(allowPoint) {}

bool TNumberKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Ctrl chords (copy, paste, cut, select all, undo) type no character.
    if (key->modifiers().testFlag(Qt::ControlModifier) || key->key() == Qt::Key_Backspace)
        return false;
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false; // types nothing: arrows, Delete, Enter
    for (const QChar c : text) {
        if (!(c >= u'0' && c <= u'9') && !(FAllowPoint && c == u'.'))
            return true;
    }
    return false;
}
