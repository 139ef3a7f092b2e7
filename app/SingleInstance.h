#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One instance of the program per user. The first start takes a per-user lock (a lock left
// behind by an instance that crashed is taken over, because its process no longer exists) and
// listens on a per-user local socket; a later start hands its paths over through that socket
// and ends. Held by the start-up routine from the lock check to the end of the run. GUI thread.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // How long a later start waits for the running instance to take its paths, including the
    // running instance's own start-up before it listens.
    static constexpr int kHandOverTimeoutMs = 10000;

    // The lock file and the socket of this user: in the runtime folder when there is one,
    // else in the temporary folder with the user id in their names.
    static QString DefaultLockPath();
    static QString DefaultSocketPath();

    explicit SingleInstance(QString lockPath = DefaultLockPath(),
                            QString socketPath = DefaultSocketPath());
    ~SingleInstance() override;

    // True when this instance now holds the lock; false while another instance runs.
    bool Acquire();
    // Stops listening, then gives up the lock.
    void Release();
    bool held() const { return held_; }

    // Listens for later starts; only while the lock is held. False when it cannot.
    bool Listen();

    // A later start: gives paths (absolute; none asks only for the window to come forward)
    // to the instance that holds the lock, and waits with events running until it has taken
    // them. False when no instance took them within timeoutMs.
    static bool HandOver(const QStringList& paths, int timeoutMs = kHandOverTimeoutMs,
                         const QString& socketPath = DefaultSocketPath());

Q_SIGNALS:
    // A later start handed over these paths (perhaps none). It is told that they were taken
    // once the receivers of this signal have returned.
    void handedOver(const QStringList& paths);

private:
    void Receive(QLocalSocket* socket);

    QLockFile lock_;
    QString socketPath_;
    QLocalServer* server_ = nullptr;
    bool held_ = false;
};
