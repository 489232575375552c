#include "app/GraphPage.h"

TGraphPage::TGraphPage(QWidget* parent) : QWidget(parent) {
    setObjectName("GraphPage");
}

void TGraphPage::AddInputVolts(const TUpsInfoRec&) {}

void TGraphPage::AddOutputVolts(const TUpsInfoRec&) {}
