#pragma once
// The filter controls both log viewers share: a row of mode radio items in a
// group, the year, month and day spins with their labels, and the address
// check box with its spin (enabled only while the box is ticked). The
// windows lay them out and read them.

#include "base/LangText.h"

#include <QString>

#include <vector>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QRadioButton;
class QSpinBox;
class QWidget;

class TLogFilterControls {
public:
    // groupName: the object name of the mode group; `modes` radio items.
    TLogFilterControls(QWidget* parent, const char* groupName, int modes);

    // The group's title and items, the spin labels and the address box.
    void ApplyLanguage(const TTextPair& title, const TTextPair* itemTexts);
    // The spins on today's date.
    void SetToday();
    [[nodiscard]] int Mode() const;
    void SetMode(int mode);
    // Spins with their labels, then the address box and spin.
    void AddDateRow(QHBoxLayout* row);

    QGroupBox* Group;
    QButtonGroup* Buttons;
    std::vector<QRadioButton*> Items;
    QLabel* lblYear;
    QLabel* lblMonth;
    QLabel* lblDay;
    QSpinBox* seYear;
    QSpinBox* seMonth;
    QSpinBox* seDay;
    QCheckBox* cbAddress;
    QSpinBox* seAddress;
};
