#include "ReceiverSupervisor.h"

#include "CastLog.h"

ReceiverSupervisor::ReceiverSupervisor(QString program, std::function<QStringList()> arguments,
                                       QString folder, QObject* parent)
    : QObject(parent),
      program_(std::move(program)),
      arguments_(std::move(arguments)),
      folder_(std::move(folder)),
      child_("Halvorn") {
    restart_timer_.setSingleShot(true);
    connect(&restart_timer_, &QTimer::timeout, this, &ReceiverSupervisor::Launch);
    connect(&child_, &ChildProcess::Ended, this, &ReceiverSupervisor::OnEnded);
}

bool ReceiverSupervisor::Start() {
    stopped_ = false;
    started_ = RestartPolicy::Clock::now();
    if (child_.Start(program_, arguments_(), folder_)) return true;
    ScheduleRestart();
    return false;
}

void ReceiverSupervisor::Stop(std::chrono::milliseconds grace) {
    stopped_ = true;
    restart_timer_.stop();
    child_.Stop(grace);
}

void ReceiverSupervisor::Launch() {
    if (stopped_) return;
    CastLog(CastLogLevel::Warning) << "Starting Halvorn again";
    started_ = RestartPolicy::Clock::now();
    if (!child_.Start(program_, arguments_(), folder_)) ScheduleRestart();
}

void ReceiverSupervisor::OnEnded(int exit_code, QProcess::ExitStatus status) {
    if (stopped_) return;
    if (status == QProcess::CrashExit)
        CastLog(CastLogLevel::Warning) << "Halvorn was ended by a signal";
    else
        CastLog(CastLogLevel::Warning) << "Halvorn ended with exit code " << exit_code;
    ScheduleRestart();
}

void ReceiverSupervisor::ScheduleRestart() {
    const auto now = RestartPolicy::Clock::now();
    const auto next = policy_.NextStart(started_, now);
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now);
    CastLog(CastLogLevel::Warning) << "Halvorn restarts in " << wait.count() << " ms";
    restart_timer_.start(wait);
}
