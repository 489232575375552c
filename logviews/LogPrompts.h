#pragma once
// How the log windows ask and tell the user. The defaults are message boxes
// and the file-save dialog; tests put answers of their own in.

#include "logviews/GridSource.h"

#include <QString>

#include <functional>

class QWidget;

// Where an export goes and in which encoding.
struct TCsvTarget {
    QString Path; // empty when the user cancelled
    TCsvEncoding Encoding = TCsvEncoding::Gbk;
};

struct TLogPrompts {
    // Yes/No box with a warning icon, No as the default; true for Yes.
    std::function<bool(QWidget* parent, const QString& text, const QString& caption)> Ask;
    // The file-save dialog filtered to "*.csv", its two filters offering the
    // encodings: GBK first, then the one chosen last in this run.
    std::function<TCsvTarget(QWidget* parent)> SaveName;
    // Box with an OK button and an error icon.
    std::function<void(QWidget* parent, const QString& text)> Tell;
    // Box with an OK button and an information icon.
    std::function<void(QWidget* parent, const QString& text)> Inform;
};

[[nodiscard]] TLogPrompts DialogLogPrompts();
