#include "logviews/UFrmDelDataRec.h"

#include "config/CurrentText.h"
#include "logging/DataLogMonths.h"
#include "logviews/LogFilterControls.h"
#include "logviews/LogTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFrmDelDataRec::TFrmDelDataRec(std::string recordFolder, QWidget* parent)
    : QDialog(parent), FFolder(std::move(recordFolder)) {
    setObjectName("FrmDelDataRec");
    lblHint1 = new QLabel(this);
    lblHint1->setWordWrap(true);
    lblHint2 = new QLabel(this);
    lblHint2->setWordWrap(true);
    lbMonths = new QListWidget(this);
    lbMonths->setObjectName("lbMonths");
    btnDelete = new QPushButton(this);
    btnDelete->setObjectName("btnDelete");
    connect(btnDelete, &QPushButton::clicked, this, &TFrmDelDataRec::btnDeleteClick);
    auto* hints = new QVBoxLayout;
    hints->addWidget(lblHint1);
    hints->addWidget(lblHint2);
    hints->addStretch(1);
    hints->addWidget(btnDelete);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lbMonths);
    layout->addLayout(hints, 1);
    resize(520, 260);
}

void TFrmDelDataRec::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    ApplyLanguage();
    FillList();
}

void TFrmDelDataRec::ApplyLanguage() {
    setWindowTitle(CurrentText(DelDataRecCaption));
    lblHint1->setText(CurrentText(DelHintLine1));
    lblHint2->setText(CurrentText(DelHintLine2));
    lbMonths->setAccessibleName(CurrentText(DelMonthsName));
    btnDelete->setText(CurrentText(DelButtonText));
    btnDelete->setToolTip(CurrentText(DelButtonHint));
}

void TFrmDelDataRec::FillList() {
    lbMonths->clear();
    for (const std::string& item : ListDataLogMonths(FFolder))
        lbMonths->addItem(QString::fromStdString(item));
}

void TFrmDelDataRec::btnDeleteClick() {
    if (!Prompts.Ask(this, CurrentText(DelQuestionText), CurrentText(DelQuestionCaption)))
        return;
    QListWidgetItem* item = lbMonths->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    // A file that cannot be deleted stays; its item goes all the same.
    (void)DeleteDataLogMonth(FFolder, item->text().toStdString());
    emit MonthDeleted();
    delete item;
    // Nothing is chosen for the next deletion until the user picks a month.
    lbMonths->setCurrentRow(-1);
}
