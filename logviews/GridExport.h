#pragma once
// Export of a viewer's grid to a CSV file chosen by the user, with the
// progress window; shared by the event and the data viewer.

#include "logviews/LogPrompts.h"

class QWidget;
class TGridSource;
class TfrmProgress;
class TBackgroundWork;

// Asks for the file name (".csv" added unless the name holds it) and the
// encoding, writes the grid on a worker while the progress window shows the
// rows written and offers to cancel, then tells the user how many rows went
// to which file, or that the file could not be written. True when the file
// was written. The grid must not change meanwhile: the progress window is
// modal, and the caller keeps its timers off the grid while work.Busy().
bool ExportGridToCsv(QWidget* parent, const TGridSource& grid, TfrmProgress& progress,
                     TBackgroundWork& work, const TLogPrompts& prompts);
