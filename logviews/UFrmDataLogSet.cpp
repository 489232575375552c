#include "logviews/UFrmDataLogSet.h"

#include "config/CurrentText.h"
#include "config/UUserParaIni.h"
#include "logviews/DataLogInterval.h"
#include "logviews/LogFilterControls.h"
#include "logviews/LogTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// Whole seconds; a typed value outside 10..300 goes to the nearer limit when
// the box loses focus, and a text that is no number counts as 10.
class TIntervalBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString& text, int& pos) const override {
        (void)pos;
        bool number = false;
        const int value = text.trimmed().toInt(&number);
        return number && value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                                  : QValidator::Intermediate;
    }
    int valueFromText(const QString& text) const override {
        return IntervalFromText(text.toStdString());
    }
    void fixup(QString& text) const override {
        text = QString::number(IntervalFromText(text.toStdString()));
    }
};
} // namespace

TFrmDataLogSet::TFrmDataLogSet(std::function<void()> restartSampling, QWidget* parent)
    : QDialog(parent), FRestartSampling(std::move(restartSampling)) {
    setObjectName("FrmDataLogSet");
    cbRecord = new QCheckBox(this);
    cbRecord->setObjectName("cbRecord");
    gbInterval = new QGroupBox(this);
    gbInterval->setObjectName("gbInterval");
    lblInterval = new QLabel(gbInterval);
    seInterval = new TIntervalBox(gbInterval);
    seInterval->setObjectName("seInterval");
    seInterval->setRange(MinIntervalSeconds, MaxIntervalSeconds);
    seInterval->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    lblUnit = new QLabel(gbInterval);
    lblInterval->setBuddy(seInterval); // the box is heard by its caption
    btnOK = new QPushButton(this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName("btnCancel");
    connect(cbRecord, &QCheckBox::toggled, this, &TFrmDataLogSet::SwitchClick);
    connect(btnOK, &QPushButton::clicked, this, &TFrmDataLogSet::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* interval = new QHBoxLayout(gbInterval);
    interval->addWidget(lblInterval);
    interval->addWidget(seInterval);
    interval->addWidget(lblUnit);
    interval->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cbRecord);
    layout->addWidget(gbInterval);
    layout->addLayout(buttons);

    const TIntervalSetting setting = IntervalFromRecInterval(UserPara.RecInterval);
    cbRecord->setChecked(setting.Enabled);
    seInterval->setValue(setting.Seconds);
    SwitchClick(setting.Enabled);
    ApplyLanguage();
}

void TFrmDataLogSet::ApplyLanguage() {
    setWindowTitle(CurrentText(DataLogSetCaption));
    cbRecord->setText(CurrentText(SaveDataSwitchText));
    lblInterval->setText(CurrentText(RecordIntervalText));
    lblUnit->setText(CurrentText(SecondsText));
    btnOK->setText(CurrentText(OkButtonText));
    btnCancel->setText(CurrentText(CancelButtonText));
}

void TFrmDataLogSet::SwitchClick(bool ticked) {
    gbInterval->setEnabled(ticked);
}

void TFrmDataLogSet::btnOKClick() {
    seInterval->interpretText(); // a value still being typed counts, brought into range
    UserPara.RecInterval = RecIntervalFrom({cbRecord->isChecked(), seInterval->value()});
    try {
        SaveUserPara();
    } catch (const std::exception& e) {
        // The choice holds until the program ends; the user knows it is not stored.
        Prompts.Tell(this, QString::fromUtf8(e.what()));
    }
    if (FRestartSampling)
        FRestartSampling();
    accept();
}
