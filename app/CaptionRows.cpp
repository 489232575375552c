#include "app/CaptionRows.h"

#include <QAction>
#include <QMainWindow>
#include <QTabWidget>
#include <QWidget>

namespace {
// A caption row's text goes where that kind of object shows a caption: an
// inner tab page's tab, a label's or button's text, a menu's or group's title.
void SetCaption(QObject* target, const QString& text) {
    if (auto* widget = qobject_cast<QWidget*>(target)) {
        QWidget* stack = widget->parentWidget();
        if (auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr) {
            tabs->setTabText(tabs->indexOf(widget), text);
            return;
        }
    }
    const QMetaObject* meta = target->metaObject();
    if (meta->indexOfProperty("text") >= 0)
        target->setProperty("text", text);
    else if (meta->indexOfProperty("title") >= 0)
        target->setProperty("title", text);
}

void SetRowText(QObject* target, TCaptionKind kind, const QString& text) {
    if (auto* window = qobject_cast<QMainWindow*>(target); window && kind == TCaptionKind::Caption)
        window->setWindowTitle(text);
    else if (kind == TCaptionKind::Hint)
        target->setProperty("toolTip", text);
    else if (kind == TCaptionKind::Name && qobject_cast<QAction*>(target))
        // An icon-only tool button is heard by its action's text.
        static_cast<QAction*>(target)->setText(text);
    else if (kind == TCaptionKind::Name)
        target->setProperty("accessibleName", text);
    else
        SetCaption(target, text);
}
} // namespace

void ApplyCaptionRows(QObject* root, std::span<const TCaptionRow> rows, uint8_t language) {
    for (const TCaptionRow& row : rows) {
        QObject* target = root->objectName() == QLatin1String(row.ObjectName)
                              ? root
                              : root->findChild<QObject*>(QLatin1String(row.ObjectName));
        if (target != nullptr)
            SetRowText(target, row.Kind, QString::fromUtf8(PickText(row.Text, language)));
    }
}
