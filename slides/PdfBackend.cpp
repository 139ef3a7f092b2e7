#include "slides/PdfBackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
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
        return EncodeBmp24(ResizeExact(image.cast(VIPS_FORMAT_UCHAR), width, height), 72);
    } catch (const vips::VError&) {
        return QByteArray();
    }
}

// Whether the file has the start and the end every PDF has: its header in the first kilobyte
// and the end-of-file mark in the last. The PDF loader repairs a file without them as best it
// can, which shows a file cut short (a download or copy that stopped) with pages missing or
// blank instead of refusing it.
bool LooksWhole(const QString& path) {
    constexpr qint64 kEdge = 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    if (!file.read(kEdge).contains("%PDF-")) return false;
    if (!file.seek(std::max<qint64>(0, file.size() - kEdge))) return false;
    return file.read(kEdge).contains("%%EOF");
}

// The page count the loader read with the first page.
int PagesOf(const VImage& first) {
    return first.get_typeof("n-pages") != 0 ? first.get_int("n-pages") : 1;
}

}  // namespace

PdfBackend::~PdfBackend() {
    Close();
}

bool PdfBackend::IsPdf(const QString& path) {
    return path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
}

int PdfBackend::PageCount(const QString& path) {
    if (!LooksWhole(path)) return 0;
    try {
        StartImaging();
        const VImage first = VImage::pdfload(QFile::encodeName(path).constData());
        return PagesOf(first);
    } catch (const vips::VError&) {
        return 0;
    }
}

PresentationBackend::OpenResult PdfBackend::Open(const QString& path, const QString& exportFolder) {
    if (!MakeWorkFolder(exportFolder)) return OpenResult::Refused;
    const QString copy = CopyIntoWorkFolder(path);
    if (copy.isEmpty() || !LooksWhole(copy) || !ReadPages(copy)) return OpenResult::Refused;
    return OpenResult::Opened;
}

bool PdfBackend::MakeWorkFolder(const QString& exportFolder) {
    QTemporaryDir work(QDir(exportFolder).filePath(QStringLiteral("presentation-XXXXXX")));
    if (!work.isValid()) return false;
    work.setAutoRemove(false);
    workFolder_ = work.path();
    return true;
}

QString PdfBackend::CopyIntoWorkFolder(const QString& path) const {
    const QString copy =
        QDir(workFolder_).filePath(QStringLiteral("deck.") + QFileInfo(path).suffix().toLower());
    return QFile::copy(path, copy) ? copy : QString();
}

bool PdfBackend::ReadPages(const QString& pdf) {
    try {
        StartImaging();
        const QByteArray name = QFile::encodeName(pdf);
        const VImage first = VImage::pdfload(name.constData());
        const int pages = PagesOf(first);
        for (int page = 0; page < pages; ++page) {
            // The pages are read at 72 dpi, so their pixels are points.
            const VImage header =
                VImage::pdfload(name.constData(), VImage::option()->set("page", page));
            sizes_.append(QSizeF(header.width(), header.height()));
        }
    } catch (const vips::VError&) {
        sizes_.clear();
        return false;
    }
    pdf_ = pdf;
    return !sizes_.isEmpty();
}

QSizeF PdfBackend::SlideSize(int n) const {
    return n >= 1 && n <= sizes_.size() ? sizes_[n - 1] : QSizeF();
}

bool PdfBackend::ExportSlide(int n, int width, int height, const QString& file) {
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

void PdfBackend::Close() {
    if (!workFolder_.isEmpty()) QDir(workFolder_).removeRecursively();
    workFolder_.clear();
    pdf_.clear();
    sizes_.clear();
}
