#pragma once
// Texts of the log windows and of the grids they export, in both languages.

#include "base/LangText.h"

inline constexpr int EventColumnCount = 4;
inline constexpr int DataColumnCount = 15;

extern const TTextPair EventColumnTexts[EventColumnCount];
extern const TTextPair DataColumnTexts[DataColumnCount];


// Event viewer.
extern const TTextPair EventLogCaption;
extern const TTextPair EventSearchTypeText;
extern const TTextPair EventTimeItemTexts[4]; // all, year, month, day
extern const TTextPair ClearDatabaseText;
extern const TTextPair ClearQuestionText;
extern const TTextPair ClearQuestionCaption;

// Data viewer.
extern const TTextPair DataLogCaption;
extern const TTextPair DataSearchTypeText;
extern const TTextPair DataModeItemTexts[2]; // month, day
extern const TTextPair LogSettingText;
extern const TTextPair ClearMonthText;
extern const TTextPair LoadingText; // progress of a long load or sort
extern const TTextPair SortingText;

// Shared by both viewers.
extern const TTextPair YearLabelText;
extern const TTextPair MonthLabelText;
extern const TTextPair DayLabelText;
extern const TTextPair SpecifyAddressText;
extern const TTextPair SearchButtonText;
extern const TTextPair RefreshButtonText;
extern const TTextPair ExportButtonText;

// Export.
extern const TTextPair RemittingText;
extern const TTextPair ExportFailedText; // followed by the reason
// The file dialog's title and its two filters, one per encoding.
extern const TTextPair ExportCaptionText;
extern const TTextPair CsvGbkFilterText;
extern const TTextPair CsvUtf8FilterText;
// %1 rows of records, %2 the file, %3 the encoding; the second also %4 blank rows.
extern const TTextPair ExportedText;
extern const TTextPair ExportedWithBlanksText;

// The month file shrank under the data viewer.
extern const TTextPair MonthChangedText;
extern const TTextPair MonthChangedInExportText;
extern const TTextPair MonthChangedCaption;

// Data log setting dialog.
extern const TTextPair DataLogSetCaption;
extern const TTextPair SaveDataSwitchText;
extern const TTextPair RecordIntervalText;
extern const TTextPair SecondsText;

// Month deletion dialog.
extern const TTextPair DelDataRecCaption;
extern const TTextPair DelHintLine1;
extern const TTextPair DelHintLine2;
extern const TTextPair DelMonthsName; // what a screen reader calls the list of months
extern const TTextPair DelButtonText;
extern const TTextPair DelButtonHint;
extern const TTextPair DelQuestionText;
extern const TTextPair DelQuestionCaption;

// Chart window of the data viewer.
extern const TTextPair ChartButtonText;
extern const TTextPair ChartCaption;
extern const TTextPair ChartUnitsText;
extern const TTextPair ChartColumnText;
extern const TTextPair ChartSpanText;
extern const TTextPair ChartSpanTexts[3]; // a day, a week, the month
extern const TTextPair ChartUnitText;     // %1 the address
extern const TTextPair ChartTooManyText;  // %1 the most units
extern const TTextPair ChartKeysText;
extern const TTextPair ChartNameText; // accessible name of the plot
extern const TTextPair SavePngText;
extern const TTextPair SavePngCaption;
extern const TTextPair PngFilterText;
extern const TTextPair SavePngFailedText; // %1 the file
extern const TTextPair ChartEmptyText;
extern const TTextPair ChartCloseText;
