#pragma once
// The month deletion dialog: lists the month files of the data log and
// deletes the one the user picks, after a confirmation.

#include "logviews/LogPrompts.h"

#include <QDialog>

#include <string>

class QLabel;
class QListWidget;
class QPushButton;

class TFrmDelDataRec : public QDialog {
    Q_OBJECT
public:
    // recordFolder: the data log's folder, ending with '/'.
    explicit TFrmDelDataRec(std::string recordFolder, QWidget* parent = nullptr);

    [[nodiscard]] QListWidget& MonthList() { return *lbMonths; }
    TLogPrompts Prompts = DialogLogPrompts();

signals:
    // A month file was deleted (or tried to be): the data viewer reloads.
    void MonthDeleted();

public slots:
    void btnDeleteClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ApplyLanguage();
    void FillList();

    std::string FFolder;
    QLabel* lblHint1;
    QLabel* lblHint2;
    QListWidget* lbMonths;
    QPushButton* btnDelete;
};
