// PCBriskenServer: the screen-cast server's tray application.
#include <QFile>

#include "AppFolders.h"
#include "CVelmiraApp.h"
#include "CrashReport.h"
#include "DLNAUnitTest.h"
#include "SingleInstance.h"

int main(int argc, char* argv[]) {
    crashreport::Install(QFile::encodeName(AppFolders::CacheFolder()).toStdString(),
                         "PCBriskenServer_");
    CVelmiraApp app(argc, argv);
    // Before the media server starts: a second instance must not announce
    // a second server, even briefly.
    SingleInstance instance(app.Paths().LockFile());
    if (!instance.Acquired()) return 0;

    DLNAUnitTest dlna(QFile::encodeName(app.Paths().Description()).toStdString());
    app.InitInstance([&dlna](const std::string& folder, std::stop_token stop) {
        dlna.ShareAndCheck(folder, stop);
    });
    const int result = app.exec();
    app.ExitInstance();
    return result;
}
