#include "slides/LibreOfficeBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <vips/vips8>

#include "core/WaitWithEvents.h"
#include "imaging/Encoders.h"
#include "imaging/ImagingSetup.h"
#include "imaging/Lanczos.h"

using vips::VImage;

namespace {

// Page n (from 0) of the PDF at width x height pixels; a page without a background of its own
// is white, as the slide shows. Empty on failure.
QByteArray RenderPage(const QString& pdf, int page, double pageWidth, int width, int height) {
    try {
        StartImaging();
        VImage image =
            VImage::pdfload(QFile::encodeName(pdf).constData(),
                            VImage::option()->set("page", page)->set("scale", width / pageWidth));
        if (image.has_alpha()) {
            image = image.flatten(VImage::option()->set("background", std::vector<double>{255}));
        }
        if (image.bands() > 3) image = image.extract_band(0, VImage::option()->set("n", 3));
        return EncodeBmp24(imaging::ResizeExact(image.cast(VIPS_FORMAT_UCHAR), width, height), 72);
    } catch (const vips::VError&) {
        return QByteArray();
    }
}

}  // namespace

LibreOfficeBackend::LibreOfficeBackend(QString soffice, QString profileFolder, int timeoutMs)
    : soffice_(std::move(soffice)),
      profileFolder_(std::move(profileFolder)),
      timeoutMs_(timeoutMs) {}

LibreOfficeBackend::~LibreOfficeBackend() {
    Close();
}

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
    QTemporaryDir work(QDir(exportFolder).filePath(QStringLiteral("presentation-XXXXXX")));
    if (!work.isValid()) return OpenResult::Refused;
    work.setAutoRemove(false);
    workFolder_ = work.path();
    // LibreOffice works on a copy: its lock file and its output stay in our folder, never
    // beside the user's file.
    const QString copy =
        QDir(workFolder_).filePath(QStringLiteral("deck.") + QFileInfo(path).suffix().toLower());
    if (!QFile::copy(path, copy) || !Convert(copy, filter)) return OpenResult::Refused;
    pdf_ = QDir(workFolder_).filePath(QStringLiteral("deck.pdf"));
    try {
        StartImaging();
        const QByteArray name = QFile::encodeName(pdf_);
        const VImage first = VImage::pdfload(name.constData());
        const int pages = first.get_typeof("n-pages") != 0 ? first.get_int("n-pages") : 1;
        for (int page = 0; page < pages; ++page) {
            // The pages are read at 72 dpi, so their pixels are points.
            const VImage header =
                VImage::pdfload(name.constData(), VImage::option()->set("page", page));
            sizes_.append(QSizeF(header.width(), header.height()));
        }
    } catch (const vips::VError&) {
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

QSizeF LibreOfficeBackend::SlideSize(int n) const {
    return n >= 1 && n <= sizes_.size() ? sizes_[n - 1] : QSizeF();
}

bool LibreOfficeBackend::ExportSlide(int n, int width, int height, const QString& file) {
    if (n < 1 || n > sizes_.size() || width <= 0 || height <= 0) return false;
    // Rendered on the pool, so the window is not held while a page is drawn.
    const QString pdf = pdf_;
    const double pageWidth = sizes_[n - 1].width();
    const QByteArray bitmap = RunWithEvents([pdf, n, pageWidth, width, height] {
        return RenderPage(pdf, n - 1, pageWidth, width, height);
    });
    if (bitmap.isEmpty()) return false;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(bitmap) != bitmap.size()) {
        out.close();
        out.remove();
        return false;
    }
    return true;
}

void LibreOfficeBackend::Close() {
    if (!workFolder_.isEmpty()) QDir(workFolder_).removeRecursively();
    workFolder_.clear();
    pdf_.clear();
    sizes_.clear();
}
