#pragma once
// The export progress window: a small window on top of the others, centred on
// the main window, with a bold green caption, a progress bar, the number of
// rows written and a button that cancels the export. Created once and reused.

#include <QDialog>

#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

class TfrmProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* parent = nullptr);

    // position is clamped to at most maximum; the caption follows the
    // current language; the number shows position.
    void SetProgress(int64_t position, int64_t maximum);
    // Shows the window centred on the main window (its parent).
    void ShowCentred();

signals:
    void CancelClicked();

private:
    QLabel* lblCaption;
    QProgressBar* ProgressBar1;
    QLabel* lblNumber;
    QPushButton* btnCancel;
};
