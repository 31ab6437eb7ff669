#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include "CastLog.h"

namespace {

// Runs in the child between fork and exec: async-signal-safe calls only.
void PrepareChild() {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // libupnp's sockets are not close-on-exec: without this the children
    // would hold the media server's listening port after it is gone.
    if (close_range(3, ~0u, CLOSE_RANGE_CLOEXEC) != 0) {
        const long limit = sysconf(_SC_OPEN_MAX);
        for (long fd = 3; fd < (limit > 0 && limit < 65536 ? limit : 65536); ++fd)
            fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
    }
}

}  // namespace

ChildProcess::ChildProcess(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

ChildProcess::~ChildProcess() {
    Stop(std::chrono::milliseconds(0));
}

bool ChildProcess::Start(const QString& program, const QStringList& arguments,
                         const QString& folder) {
    auto process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(arguments);
    process->setWorkingDirectory(folder);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setChildProcessModifier(PrepareChild);
    process->start();
    if (!process->waitForStarted()) {
        CastLog(CastLogLevel::Error)
            << "Cannot start " << name_ << " (" << program << "): " << process->errorString();
        return false;
    }
    CastLog(CastLogLevel::Info) << "Started " << name_ << " (pid " << process->processId() << ")";
    connect(process.get(), &QProcess::finished, this,
            [this](int exit_code, QProcess::ExitStatus status) { emit Ended(exit_code, status); });
    process_ = std::move(process);
    return true;
}

void ChildProcess::Stop(std::chrono::milliseconds grace) {
    if (!process_) return;
    std::unique_ptr<QProcess> process = std::move(process_);
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) return;
    process->terminate();
    if (!process->waitForFinished(static_cast<int>(grace.count()))) {
        if (grace.count() > 0)
            CastLog(CastLogLevel::Warning)
                << name_ << " did not end within " << grace.count() << " ms; killing it";
        process->kill();
        process->waitForFinished();
    }
}

bool ChildProcess::Running() const {
    return process_ && process_->state() != QProcess::NotRunning;
}

qint64 ChildProcess::Pid() const {
    return process_ ? process_->processId() : 0;
}
