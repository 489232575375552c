#include "logviews/GridExport.h"

#include "config/CurrentText.h"
#include "logviews/BackgroundWork.h"
#include "logviews/CsvExport.h"
#include "logviews/GridSource.h"
#include "logviews/LogTexts.h"
#include "logviews/UFrmProgress.h"

namespace {
// How many rows went to which file, in which encoding.
QString ExportedMessage(const TGridSource& grid, const QString& path, TCsvEncoding encoding) {
    const int64_t filled = grid.FilledRows();
    const int64_t blanks = grid.RowCount() - filled;
    const QString encodingName =
        encoding == TCsvEncoding::Gbk ? QStringLiteral("GBK") : QStringLiteral("UTF-8");
    // One substitution for all: a "%" in the file name stays as it is.
    const QString rows = QString::number(filled);
    if (blanks == 0)
        return CurrentText(ExportedText).arg(rows, path, encodingName);
    return CurrentText(ExportedWithBlanksText)
        .arg(rows, path, encodingName, QString::number(blanks));
}
} // namespace

bool ExportGridToCsv(QWidget* parent, const TGridSource& grid, TfrmProgress& progress,
                     TBackgroundWork& work, const TLogPrompts& prompts) {
    const TCsvTarget target = prompts.SaveName(parent);
    if (target.Path.isEmpty())
        return false;
    const std::string path = CsvFileName(target.Path.toStdString());
    progress.SetProgress(0, grid.RowCount() + 1);
    progress.ShowCentred();
    const QMetaObject::Connection cancel =
        QObject::connect(&progress, &TfrmProgress::CancelClicked, &work, &TBackgroundWork::Cancel);
    TExportOutcome outcome;
    if (!work.Run(
            [&](TJobProgress& p) { outcome = ExportCsv(grid, path, p, target.Encoding); },
            [&](int64_t position, int64_t maximum) { progress.SetProgress(position, maximum); }))
        outcome = {TExportResult::Failed, work.Error()};
    QObject::disconnect(cancel);
    progress.hide();
    if (outcome.Result == TExportResult::Failed)
        prompts.Tell(parent, CurrentText(ExportFailedText) + QString::fromStdString(outcome.Error));
    // An export that ran into a changed month is told by the data viewer as
    // incomplete, never as done.
    else if (outcome.Result == TExportResult::Written && !grid.SourceChanged())
        prompts.Inform(parent,
                       ExportedMessage(grid, QString::fromStdString(path), target.Encoding));
    return outcome.Result == TExportResult::Written;
}
