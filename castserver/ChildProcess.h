#pragma once
// A child program started from a given folder, with its output forwarded to
// ours, standard input closed and no other descriptor of ours. It is asked
// to stop with SIGTERM and killed when it does not end in time; it also gets
// SIGTERM should this process die first, so no orphan outlives the
// application.
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>

class ChildProcess : public QObject {
    Q_OBJECT

public:
    explicit ChildProcess(QString name, QObject* parent = nullptr);
    ~ChildProcess() override;

    // False, logged with the reason, when the program cannot be started.
    bool Start(const QString& program, const QStringList& arguments, const QString& folder);
    // SIGTERM, then up to `grace` for the child to end, then SIGKILL.
    // Nothing happens without a running child.
    void Stop(std::chrono::milliseconds grace);

    bool Running() const;
    qint64 Pid() const;
    const QString& Name() const { return name_; }

signals:
    // The child ended by itself (not through Stop).
    void Ended(int exit_code, QProcess::ExitStatus status);

private:
    QString name_;
    std::unique_ptr<QProcess> process_;
};
