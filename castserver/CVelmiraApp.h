#pragma once
// The application: the process-wide state (settings, folder list, the two
// children), start-up of the main window and the orderly exit.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSocketNotifier>
#include <QStringList>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>

#include "AppFolders.h"
#include "ChildProcess.h"
#include "ReceiverSupervisor.h"
#include "SettingsFile.h"

class CVelmiraDlg;

class CVelmiraApp : public QApplication {
    Q_OBJECT

public:
    // A sharing thread's work for one folder (in the file system's encoding).
    using ShareJob = std::function<void(const std::string& folder, std::stop_token stop)>;

    static constexpr std::chrono::milliseconds kReceiverGrace{10000};
    static constexpr std::chrono::milliseconds kSplashtopGrace{7000};

    CVelmiraApp(int& argc, char** argv);
    ~CVelmiraApp() override;

    const AppFolders& Paths() const { return paths_; }
    const ShareJob& Share() const { return share_; }

    // First run: creates the configuration folder and its files. Then
    // creates and shows the main window, whose start-up runs the steps below.
    void InitInstance(ShareJob share);
    // Destroys the main window (its sharing threads end), then stops the
    // Splashtop server and the receiver.
    void ExitInstance();

    // Ends the event loop, as "退出" does.
    static void EndApplication();

    // Start-up steps of the main window.
    void WriteServiceList();
    void StartReceiver();
    void ReadFolderList();
    // The Splashtop folder, the list's status text and folder-list entry 0.
    void FindSplashtop();
    void StartSplashtop();
    void ReadSettings();

    // Writes or removes the autostart entry at once; `autorun` follows what
    // was done.
    void SetAutorun(bool on);
    // "Save": both flags to the settings file, the folder list to "path.txt".
    void Save(const QStringList& folders);

    // An image of the installation ("image/" beside the program).
    QPixmap Image(const QString& name) const;
    QIcon Icon() const;

    // The process-wide state.
    AppSettings settings;
    QStringList folder_list;
    QString splashtop_directory;
    QString splashtop_status;

private:
    void CreateConfiguration();
    void QuitOnTerminationSignals();

    AppFolders paths_;
    ShareJob share_;
    std::unique_ptr<ReceiverSupervisor> receiver_;
    ChildProcess splashtop_{"Splashtop server"};
    std::unique_ptr<CVelmiraDlg> dialog_;
    std::unique_ptr<QSocketNotifier> signal_notifier_;
};
