#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace {

// A later start sends this tag and its paths in a QDataStream of this version; the running
// instance answers with the one byte kTaken once it has them.
constexpr quint32 kRequestTag = 0x56434831;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;
constexpr char kTaken = 'T';
// While the running instance is still starting it does not listen yet.
constexpr int kConnectRetryMs = 100;

QString UserFilePath(const QString& extension) {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return QDir(runtime).filePath(QStringLiteral("vimbrelcastor.") + extension);
    }
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("vimbrelcastor-%1.%2").arg(::geteuid()).arg(extension));
}

}  // namespace

QString SingleInstance::DefaultLockPath() {
    return UserFilePath(QStringLiteral("lock"));
}

QString SingleInstance::DefaultSocketPath() {
    return UserFilePath(QStringLiteral("socket"));
}

SingleInstance::SingleInstance(QString lockPath, QString socketPath)
    : lock_(lockPath), socketPath_(std::move(socketPath)) {
    // Only a dead owner makes a lock stale, never its age: a run may last days.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    Release();
}

bool SingleInstance::Acquire() {
    if (!held_) held_ = lock_.tryLock(0);
    return held_;
}

void SingleInstance::Release() {
    // The socket goes first: once the lock is free, the socket file may be the next
    // instance's.
    if (server_ != nullptr) {
        server_->close();
        delete server_;
        server_ = nullptr;
    }
    if (held_) lock_.unlock();
    held_ = false;
}

bool SingleInstance::Listen() {
    if (!held_) return false;
    if (server_ != nullptr) return true;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by an instance that crashed would keep the server from listening;
    // the lock says that no running instance owns it.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) return false;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Receive(socket); });
            Receive(socket);
        }
    });
    return true;
}

void SingleInstance::Receive(QLocalSocket* socket) {
    QDataStream in(socket);
    in.setVersion(kStreamVersion);
    // The request may arrive in pieces: nothing is taken before all of it is there.
    in.startTransaction();
    quint32 tag = 0;
    in >> tag;
    if (in.status() == QDataStream::Ok && tag != kRequestTag) return socket->abort();
    QStringList paths;
    in >> paths;
    if (!in.commitTransaction()) {
        if (in.status() == QDataStream::ReadCorruptData) socket->abort();
        return;
    }
    Q_EMIT handedOver(paths);
    socket->write(&kTaken, 1);
    socket->disconnectFromServer();
}

bool SingleInstance::HandOver(const QStringList& paths, int timeoutMs, const QString& socketPath) {
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kRequestTag << paths;

    // Events keep running while this start waits: the running instance may be this very
    // process in a test, and the wait must end at the deadline however the other side behaves.
    QLocalSocket socket;
    QEventLoop loop;
    QTimer retry;
    retry.setSingleShot(true);
    QTimer deadline;
    deadline.setSingleShot(true);
    bool finished = false;
    bool taken = false;
    const auto finish = [&](bool answer) {
        // The close that follows the answer must not take it back.
        if (finished) return;
        finished = true;
        taken = answer;
        loop.quit();
    };
    const auto connectOnce = [&] {
        // Only to a socket of this user: in a shared temporary folder another user could
        // have made one of this name to learn the paths.
        const QFileInfo file(socketPath);
        if (file.exists() && file.ownerId() != ::geteuid()) return finish(false);
        socket.abort();
        socket.connectToServer(socketPath);
    };
    QObject::connect(&retry, &QTimer::timeout, &loop, connectOnce);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { finish(false); });
    QObject::connect(&socket, &QLocalSocket::connected, &loop, [&] { socket.write(request); });
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop,
                     [&] { finish(socket.read(1) == QByteArray(1, kTaken)); });
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop,
                     [&](QLocalSocket::LocalSocketError error) {
                         // No socket yet, or the one a crashed instance left: the running
                         // instance is still starting.
                         if (error == QLocalSocket::ServerNotFoundError ||
                             error == QLocalSocket::ConnectionRefusedError) {
                             return retry.start(kConnectRetryMs);
                         }
                         // Closed or broken without an answer: nothing was taken.
                         if (socket.bytesAvailable() == 0) finish(false);
                     });
    deadline.start(timeoutMs);
    connectOnce();
    if (!finished) loop.exec();
    return taken;
}
