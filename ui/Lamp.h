#pragma once
// A small round lamp: lit in its colour, or out (dark).

#include <QColor>
#include <QWidget>

class TLamp : public QWidget {
    Q_OBJECT
public:
    explicit TLamp(QColor litColour, QWidget* parent = nullptr);

    void SetLit(bool lit);
    [[nodiscard]] bool IsLit() const { return FLit; }

    [[nodiscard]] QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor FLitColour;
    bool FLit = false;
};
