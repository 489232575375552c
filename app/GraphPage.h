#pragma once
// Page 1 of the main window's right area: two rolling graphs of the selected
// device's input and output phase voltages.
//
// The main window's ApplyLanguage sets the "title" property of the children
// named chtInputVolt and chtOutputVolt.

#include "protocol/UpsInfoRec.h"

#include <QWidget>

class TGraphPage : public QWidget {
    Q_OBJECT
public:
    explicit TGraphPage(QWidget* parent = nullptr);

    // View refresh: graph 1 gets the input voltages, graph 2 the output ones.
    void AddInputVolts(const TUpsInfoRec& rec);
    void AddOutputVolts(const TUpsInfoRec& rec);
};
