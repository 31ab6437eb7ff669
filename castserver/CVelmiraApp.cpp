#include "CVelmiraApp.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "Autostart.h"
#include "CVelmiraDlg.h"
#include "CastLog.h"
#include "FolderListFile.h"
#include "ListenPort.h"
#include "RegistryStore.h"
#include "ServiceListFile.h"
#include "Splashtop.h"
#include "Texts.h"

namespace {

int signal_pipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    ssize_t ignored = write(signal_pipe[1], &byte, 1);
    (void)ignored;
}

}  // namespace

CVelmiraApp::CVelmiraApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("PCBriskenServer");
    setApplicationVersion(CASTSERVER_VERSION);
    // Hiding the window to the tray, or closing the settings box while it is
    // hidden, must not end the application.
    setQuitOnLastWindowClosed(false);
    paths_ = AppFolders::ForThisProgram();
    QuitOnTerminationSignals();
}

CVelmiraApp::~CVelmiraApp() = default;

void CVelmiraApp::EndApplication() {
    // Not quit(): that first asks every window to close, and the main window
    // turns a close into hiding, which would cancel the quit.
    QCoreApplication::exit(0);
}

void CVelmiraApp::QuitOnTerminationSignals() {
    // A session's logout sends SIGTERM: end as through "退出", children included.
    if (pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    signal_notifier_ = std::make_unique<QSocketNotifier>(signal_pipe[0], QSocketNotifier::Read);
    connect(signal_notifier_.get(), &QSocketNotifier::activated, this, [] {
        char byte;
        while (read(signal_pipe[0], &byte, 1) > 0) {
        }
        CastLog(CastLogLevel::Info) << "Termination signal: exiting";
        EndApplication();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

void CVelmiraApp::CreateConfiguration() {
    if (!QDir().mkpath(paths_.config))
        CastLog(CastLogLevel::Error) << "Cannot create the configuration folder " << paths_.config;
    if (!QFile::exists(paths_.SettingsFile())) settingsfile::Write(paths_.SettingsFile(), {});
    if (!QFile::exists(paths_.FolderListFile())) folderlist::Save(paths_.FolderListFile(), {});
    if (!QFile::exists(paths_.RegistryFile()))
        splashtop::WriteRegistryTemplate(paths_.RegistryFile());
}

void CVelmiraApp::InitInstance(ShareJob share) {
    share_ = std::move(share);
    CreateConfiguration();
    dialog_ = std::make_unique<CVelmiraDlg>(*this);
    dialog_->OnInitDialog();
    dialog_->show();
}

void CVelmiraApp::ExitInstance() {
    dialog_.reset();
    splashtop_.Stop(kSplashtopGrace);
    if (receiver_) receiver_->Stop(kReceiverGrace);
}

void CVelmiraApp::WriteServiceList() {
    const splashtop::Settings splashtop =
        splashtop::ReadSettings(RegistryStore::Load(paths_.RegistryFile()));
    servicelist::Write(paths_.ServiceListFile(),
                       servicelist::Text(splashtop.port, splashtop.password));
}

void CVelmiraApp::StartReceiver() {
    const QString service_list = paths_.ServiceListFile();
    receiver_ = std::make_unique<ReceiverSupervisor>(
        paths_.Receiver(),
        [service_list] {
            return QStringList{"--service-list", service_list, "--port",
                               QString::number(FirstFreeListenPort())};
        },
        paths_.program);
    receiver_->Start();
}

void CVelmiraApp::ReadFolderList() {
    folder_list = folderlist::Read(paths_.FolderListFile());
}

void CVelmiraApp::FindSplashtop() {
    const std::optional<QString> image_path =
        splashtop::ReadImagePath(RegistryStore::Load(paths_.RegistryFile()));
    splashtop_directory = splashtop::Directory(image_path);
    if (image_path) {
        splashtop_status = texts::kSplashtopInstalled;
        const QString entry = texts::kSplashtopEntry + splashtop_directory;
        if (folder_list.isEmpty())
            folder_list << entry;
        else
            folder_list[0] = entry;
    } else {
        splashtop_status = texts::kSplashtopMissing;
        if (folder_list.isEmpty()) folder_list << texts::kSplashtopEntry;
    }
}

void CVelmiraApp::StartSplashtop() {
    splashtop_.Start(splashtop_directory + "/" + splashtop::kExecutable, {}, splashtop_directory);
}

void CVelmiraApp::ReadSettings() {
    settings = settingsfile::Read(paths_.SettingsFile());
}

void CVelmiraApp::SetAutorun(bool on) {
    const QString entry = autostart::EntryPath();
    if (on ? autostart::Write(entry, paths_.Executable()) : autostart::Remove(entry))
        settings.autorun = on;
}

void CVelmiraApp::Save(const QStringList& folders) {
    settingsfile::Write(paths_.SettingsFile(), settings);
    QStringList kept;
    for (const QString& folder : folders)
        if (!folder.isEmpty()) kept << folder;
    if (folderlist::Save(paths_.FolderListFile(), kept)) folder_list = kept;
}

QPixmap CVelmiraApp::Image(const QString& name) const {
    const QString path = paths_.ImageFolder() + "/" + name;
    QPixmap image(path);
    if (image.isNull()) CastLog(CastLogLevel::Warning) << "Missing image " << path;
    return image;
}

QIcon CVelmiraApp::Icon() const {
    return QIcon(Image("PCBriskenServer.png"));
}
