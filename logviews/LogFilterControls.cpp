#include "logviews/LogFilterControls.h"

#include "config/CurrentText.h"
#include "logviews/LogTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDate>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

namespace {
QSpinBox* Spin(QWidget* parent, const char* name, int low, int high) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(low, high);
    return spin;
}
} // namespace

TLogFilterControls::TLogFilterControls(QWidget* parent, const char* groupName, int modes)
    : Group(new QGroupBox(parent)), Buttons(new QButtonGroup(parent)), lblYear(new QLabel(parent)),
      lblMonth(new QLabel(parent)), lblDay(new QLabel(parent)),
      seYear(Spin(parent, "seYear", 2000, 2100)), seMonth(Spin(parent, "seMonth", 1, 12)),
      seDay(Spin(parent, "seDay", 1, 31)), cbAddress(new QCheckBox(parent)),
      seAddress(Spin(parent, "seAddress", 1, 254)) {
    Group->setObjectName(groupName);
    auto* items = new QHBoxLayout(Group);
    for (int i = 0; i < modes; ++i) {
        Items.push_back(new QRadioButton(Group));
        Buttons->addButton(Items.back(), i);
        items->addWidget(Items.back());
    }
    cbAddress->setObjectName("cbAddress");
    seAddress->setEnabled(false);
    QObject::connect(cbAddress, &QCheckBox::toggled, seAddress, &QWidget::setEnabled);
}

void TLogFilterControls::ApplyLanguage(const TTextPair& title, const TTextPair* itemTexts) {
    Group->setTitle(CurrentText(title));
    for (std::size_t i = 0; i < Items.size(); ++i)
        Items[i]->setText(CurrentText(itemTexts[i]));
    lblYear->setText(CurrentText(YearLabelText));
    lblMonth->setText(CurrentText(MonthLabelText));
    lblDay->setText(CurrentText(DayLabelText));
    cbAddress->setText(CurrentText(SpecifyAddressText));
}

void TLogFilterControls::SetToday() {
    const QDate today = QDate::currentDate();
    seYear->setValue(today.year());
    seMonth->setValue(today.month());
    seDay->setValue(today.day());
}

int TLogFilterControls::Mode() const {
    return Buttons->checkedId();
}

void TLogFilterControls::SetMode(int mode) {
    Items[std::size_t(mode)]->setChecked(true);
}

void TLogFilterControls::AddDateRow(QHBoxLayout* row) {
    for (auto [label, spin] : {std::pair{lblYear, seYear}, {lblMonth, seMonth}, {lblDay, seDay}}) {
        row->addWidget(spin);
        row->addWidget(label);
    }
    row->addSpacing(12);
    row->addWidget(cbAddress);
    row->addWidget(seAddress);
    row->addStretch(1);
}
