#include "slides/LibreOfficeBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

LibreOfficeBackend::LibreOfficeBackend(QString soffice, QString profileFolder, int timeoutMs)
    : soffice_(std::move(soffice)),
      profileFolder_(std::move(profileFolder)),
      timeoutMs_(timeoutMs) {}

QString LibreOfficeBackend::FindSoffice(const QString& configured) {
    if (!configured.isEmpty() && QFileInfo(configured).isExecutable()) return configured;
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty()) return found;
    }
    return QString();
}

QString LibreOfficeBackend::ImportFilter(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == u"ppt") return QStringLiteral("MS PowerPoint 97");
    if (extension == u"pptx") return QStringLiteral("Impress MS PowerPoint 2007 XML");
    if (extension == u"odp") return QStringLiteral("impress8");
    return QString();
}

PresentationBackend::OpenResult LibreOfficeBackend::Open(const QString& path,
                                                         const QString& exportFolder) {
    if (soffice_.isEmpty()) return OpenResult::NotInstalled;
    const QString filter = ImportFilter(path);
    if (filter.isEmpty()) return OpenResult::Refused;
    if (!MakeWorkFolder(exportFolder)) return OpenResult::Refused;
    // LibreOffice works on a copy: its lock file and its output stay in our folder, never
    // beside the user's file.
    const QString copy = CopyIntoWorkFolder(path);
    if (copy.isEmpty() || !Convert(copy, filter)) return OpenResult::Refused;
    if (!ReadPages(QDir(workFolder_).filePath(QStringLiteral("deck.pdf")))) {
        return OpenResult::Refused;
    }
    return OpenResult::Opened;
}

bool LibreOfficeBackend::Convert(const QString& copy, const QString& filter) {
    QProcess process;
    process.setProgram(soffice_);
    process.setArguments({
        QStringLiteral("-env:UserInstallation=") +
            QUrl::fromLocalFile(QFileInfo(profileFolder_).absoluteFilePath())
                .toString(QUrl::FullyEncoded),
        QStringLiteral("--headless"),
        QStringLiteral("--norestore"),
        QStringLiteral("--nologo"),
        QStringLiteral("--nolockcheck"),
        QStringLiteral("--infilter=") + filter,
        QStringLiteral("--convert-to"),
        QStringLiteral("pdf:impress_pdf_Export"),
        QStringLiteral("--outdir"),
        workFolder_,
        copy,
    });
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForStarted(10000)) return false;
    // The window keeps running while LibreOffice converts; a conversion that hangs is ended.
    bool timedOut = false;
    if (process.state() != QProcess::NotRunning && QCoreApplication::instance()) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        limit.start(timeoutMs_);
        if (process.state() != QProcess::NotRunning) loop.exec();
    } else if (process.state() != QProcess::NotRunning) {
        timedOut = !process.waitForFinished(timeoutMs_);
    }
    if (timedOut) {
        process.kill();
        process.waitForFinished(5000);
        return false;
    }
    // LibreOffice says it cannot load a file on its output but still ends with 0: the PDF
    // is the answer.
    return process.exitStatus() == QProcess::NormalExit &&
           QFileInfo(QDir(workFolder_).filePath(QStringLiteral("deck.pdf"))).size() > 0;
}
