#include "app/RealTimePage.h"

TRealTimePage::TRealTimePage(QWidget* parent) : QWidget(parent) {
    setObjectName("RealTimePage");
}

void TRealTimePage::HideSwitchRows() {}

void TRealTimePage::ApplyProtocolLayout(uint8_t) {}

void TRealTimePage::ShowInnerPage(int) {}

void TRealTimePage::SetDebugVisible(bool) {}

void TRealTimePage::ShowInputSide(const TUpsInfoRec&) {}

void TRealTimePage::ShowOutputSide(const TUpsInfoRec&) {}

void TRealTimePage::ShowStates(const TUpsInfoRec&, uint8_t) {}

void TRealTimePage::ShowAlarms(const TUpsInfoRec&) {}

void TRealTimePage::ShowChargeFlow(const TUpsInfoRec&, uint8_t) {}

void TRealTimePage::ClearMeasurements(TUpsInfoRec&) {}
