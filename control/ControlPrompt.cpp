#include "control/ControlPrompt.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>

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
