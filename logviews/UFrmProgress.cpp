#include "logviews/UFrmProgress.h"

#include "config/CurrentText.h"
#include "logviews/LogFilterControls.h"
#include "logviews/LogTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The bar counts in int: large counts are shown scaled.
constexpr int64_t BarRange = 1'000'000;

} // namespace

TfrmProgress::TfrmProgress(QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("frmProgress");
    setModal(true);
    lblCaption = new QLabel(this);
    lblCaption->setObjectName("lblCaption");
    QFont bold = lblCaption->font();
    bold.setBold(true);
    lblCaption->setFont(bold);
    lblCaption->setStyleSheet("color: green;");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setMinimumWidth(300);
    lblNumber = new QLabel(this);
    lblNumber->setObjectName("lblNumber");
    lblNumber->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName("btnCancel");
    connect(btnCancel, &QPushButton::clicked, this, &TfrmProgress::CancelClicked);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblCaption);
    layout->addWidget(ProgressBar1);
    auto* row = new QHBoxLayout;
    row->addWidget(lblNumber, 1);
    row->addWidget(btnCancel);
    layout->addLayout(row);
    SetProgress(0, 0);
}

void TfrmProgress::SetProgress(int64_t position, int64_t maximum) {
    position = std::min(position, maximum);
    lblCaption->setText(CurrentText(RemittingText));
    btnCancel->setText(CurrentText(CancelButtonText));
    setWindowTitle(CurrentText(ExportButtonText));
    ProgressBar1->setRange(0, int(std::min(maximum, BarRange)));
    ProgressBar1->setValue(maximum > BarRange ? int(position * BarRange / maximum) : int(position));
    lblNumber->setText(QString::number(position));
}

void TfrmProgress::ShowCentred() {
    adjustSize();
    if (QWidget* main = parentWidget())
        move(main->geometry().center() - rect().center());
    show();
    raise();
}
