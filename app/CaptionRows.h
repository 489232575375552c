#pragma once
// Caption tables: rows that name an object and give its text in both
// languages. One walker sets every row on the object of that name under a
// root window (the root itself included); objects not present are skipped.

#include "base/LangText.h"

#include <cstdint>
#include <span>

class QObject;

enum class TCaptionKind {
    Caption, // window title, menu title, tab text, group title, label or button text
    Hint,    // tool tip
    Name,    // accessible name; an action's text
};

struct TCaptionRow {
    const char* ObjectName;
    TCaptionKind Kind;
    TTextPair Text;
};

void ApplyCaptionRows(QObject* root, std::span<const TCaptionRow> rows, uint8_t language);
