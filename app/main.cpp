#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "app/UFrmMain.h"
#include "app/UFrmMainText.h"
#include "comm/UFrmCom.h"

#include <QApplication>

#include <memory>

namespace {
// The poll engine window comes second: at its creation it logs the program
// start into the event log the main window has made, and it may show the
// port error in the language the main window has applied. It is destroyed
// before the main window, so the event log outlives it.
std::unique_ptr<QObject> CreatePollEngine(TFrmMain& frmMain) {
    auto frmCom = std::make_unique<TFrmCom>(frmMain.EventLog(), frmMain.DataLog());
    frmMain.SetPortControl(frmCom.get());
    frmMain.RestartDataLogRound = [com = frmCom.get()] { com->Engine().RecCountdown = 0; };
    QObject::connect(frmCom.get(), &QObject::destroyed, &frmMain, [&frmMain] {
        frmMain.SetPortControl(nullptr);
        frmMain.RestartDataLogRound = nullptr;
    });
    return frmCom;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));

    TSingleInstance instance(TSingleInstance::NameFor(QString::fromUtf8(ApplicationTitle)));
    if (!instance.Claim())
        return 0;

    TFrmMain frmMain;
    const std::unique_ptr<QObject> pollEngine = CreatePollEngine(frmMain);
    TSessionEnd sessionEnd;

    QObject::connect(&instance, &TSingleInstance::RaiseRequested, &frmMain,
                     &TFrmMain::BringToFront);
    QObject::connect(&sessionEnd, &TSessionEnd::EndRequested, &frmMain, &TFrmMain::EndSession);
    // The program ends with the main window, whatever other windows are open.
    QObject::connect(&frmMain, &TFrmMain::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
    frmMain.show();
    return QApplication::exec();
}
