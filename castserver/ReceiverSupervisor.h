#pragma once
// Keeps the TV receiver running: when it ends while the application runs,
// it is started again after the RestartPolicy's delay, and both the end and
// the restart are logged.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>

#include "ChildProcess.h"
#include "RestartPolicy.h"

class ReceiverSupervisor : public QObject {
    Q_OBJECT

public:
    // `arguments` is asked anew for every start.
    ReceiverSupervisor(QString program, std::function<QStringList()> arguments, QString folder,
                       QObject* parent = nullptr);

    // The first start; a failed one is retried like an ended run.
    bool Start();
    // No more restarts; then ChildProcess::Stop.
    void Stop(std::chrono::milliseconds grace);

    qint64 Pid() const { return child_.Pid(); }

private:
    void Launch();
    void OnEnded(int exit_code, QProcess::ExitStatus status);
    void ScheduleRestart();

    QString program_;
    std::function<QStringList()> arguments_;
    QString folder_;
    ChildProcess child_;
    RestartPolicy policy_;
    RestartPolicy::Clock::time_point started_;
    QTimer restart_timer_;
    bool stopped_ = false;
};
