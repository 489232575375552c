#include "logviews/GridExport.h"

#include "config/CurrentText.h"
#include "logviews/BackgroundWork.h"
#include "logviews/CsvExport.h"
#include "logviews/LogTexts.h"
#include "logviews/UFrmProgress.h"

bool ExportGridToCsv(QWidget* parent, const TGridSource& grid, TfrmProgress& progress,
                     TBackgroundWork& work, const TLogPrompts& prompts) {
    const QString chosen = prompts.SaveName(parent);
    if (chosen.isEmpty())
        return false;
    const std::string path = CsvFileName(chosen.toStdString());
    progress.SetProgress(0, grid.RowCount() + 1);
    progress.ShowCentred();
    const QMetaObject::Connection cancel =
        QObject::connect(&progress, &TfrmProgress::CancelClicked, &work, &TBackgroundWork::Cancel);
    TExportOutcome outcome;
    if (!work.Run(
            [&](TJobProgress& p) { outcome = ExportCsv(grid, path, p); },
            [&](int64_t position, int64_t maximum) { progress.SetProgress(position, maximum); }))
        outcome = {TExportResult::Failed, work.Error()};
    QObject::disconnect(cancel);
    progress.hide();
    if (outcome.Result == TExportResult::Failed)
        prompts.Tell(parent, CurrentText(ExportFailedText) + QString::fromStdString(outcome.Error));
    return outcome.Result == TExportResult::Written;
}
