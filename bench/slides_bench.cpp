// The slide import, measured: a generated 30-slide presentation imported the way the window
// does (one conversion to PDF, then each slide exported, framed, saved and added), against a
// floor of the same conversion by soffice alone plus rendering the pages at the export size.
//
//   slides_bench DIR    makes the presentation in DIR (kept between runs) and prints both

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>
#include <vips/vips8>

#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "imaging/ImagingSetup.h"
#include "skin/Prompter.h"
#include "slides/LibreOfficeBackend.h"
#include "slides/SlideExporter.h"
#include "slides/SlideImport.h"

namespace {

constexpr int kSlides = 30;

class QuietPrompter : public Prompter {
public:
    void Info(int id, const QString& argument) override {
        std::fprintf(stderr, "message %d %s\n", id, qPrintable(argument));
    }
    bool Confirm(int, const QString&) override { return false; }
    int Overwrite(const QString&, bool) override { return 0; }
    void Plain(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

QString Soffice() {
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

bool RunSoffice(const QStringList& arguments) {
    QProcess process;
    process.start(Soffice(), arguments);
    return process.waitForFinished(600000) && process.exitCode() == 0;
}

QString ProfileArgument(const QString& profile) {
    return QStringLiteral("-env:UserInstallation=") +
           QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded);
}

// A 16:9 deck of 30 slides, each with a title band, boxes and text, as a .pptx.
QString MakeDeck(const QString& dir, const QString& profile) {
    const QString deck = QDir(dir).filePath(QStringLiteral("deck.pptx"));
    if (QFile::exists(deck)) return deck;
    QString pages;
    for (int i = 0; i < kSlides; ++i) {
        pages += QStringLiteral(
                     "<draw:page draw:name=\"p%1\" draw:master-page-name=\"Default\" "
                     "draw:style-name=\"dp1\">"
                     "<draw:rect draw:style-name=\"band\" svg:x=\"0cm\" svg:y=\"0cm\" "
                     "svg:width=\"28cm\" svg:height=\"3cm\"/>"
                     "<draw:rect draw:style-name=\"box\" svg:x=\"%2cm\" svg:y=\"5cm\" "
                     "svg:width=\"8cm\" svg:height=\"6cm\"/>"
                     "<draw:frame svg:x=\"2cm\" svg:y=\"12cm\" svg:width=\"24cm\" "
                     "svg:height=\"2cm\"><draw:text-box><text:p>Slide %1: a line of text "
                     "that a talk would have</text:p></draw:text-box></draw:frame>"
                     "</draw:page>\n")
                     .arg(i + 1)
                     .arg(2 + (i % 10) * 1.5);
    }
    const QString flat = QDir(dir).filePath(QStringLiteral("deck.fodp"));
    QFile file(flat);
    if (!file.open(QIODevice::WriteOnly)) return QString();
    file.write(
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<office:document "
                       "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                       "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
                       "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
                       "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                       "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
                       "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
                       "office:version=\"1.2\" "
                       "office:mimetype=\"application/vnd.oasis.opendocument.presentation\">\n"
                       "<office:styles/><office:automatic-styles>"
                       "<style:page-layout style:name=\"PMslide\"><style:page-layout-properties "
                       "fo:page-width=\"28cm\" fo:page-height=\"15.75cm\"/></style:page-layout>"
                       "<style:style style:name=\"dp1\" style:family=\"drawing-page\">"
                       "<style:drawing-page-properties draw:fill=\"solid\" "
                       "draw:fill-color=\"#f4f4ef\"/></style:style>"
                       "<style:style style:name=\"band\" style:family=\"graphic\">"
                       "<style:graphic-properties draw:fill=\"solid\" draw:fill-color=\"#1e3c6e\" "
                       "draw:stroke=\"none\"/></style:style>"
                       "<style:style style:name=\"box\" style:family=\"graphic\">"
                       "<style:graphic-properties draw:fill=\"solid\" draw:fill-color=\"#e67828\" "
                       "draw:stroke=\"none\"/></style:style>"
                       "</office:automatic-styles><office:master-styles><style:master-page "
                       "style:name=\"Default\" style:page-layout-name=\"PMslide\" "
                       "draw:style-name=\"dp1\"/></office:master-styles>"
                       "<office:body><office:presentation>%1</office:presentation></office:body>"
                       "</office:document>\n")
            .arg(pages)
            .toUtf8());
    file.close();
    // A new profile's first start may end before converting: one more try.
    for (int attempt = 0; attempt < 2 && !QFile::exists(deck); ++attempt) {
        RunSoffice({ProfileArgument(profile), QStringLiteral("--headless"),
                    QStringLiteral("--convert-to"), QStringLiteral("pptx"),
                    QStringLiteral("--outdir"), dir, flat});
    }
    return QFile::exists(deck) ? deck : QString();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 2 || Soffice().isEmpty()) {
        std::fprintf(stderr, "usage: slides_bench DIR (LibreOffice must be installed)\n");
        return 2;
    }
    StartImaging(argv[0]);
    const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(dir);
    // One warm profile for both, as the program keeps its own between imports.
    const QString profile = QDir(dir).filePath(QStringLiteral("profile"));
    const QString deck = MakeDeck(dir, profile);
    if (deck.isEmpty()) {
        std::fprintf(stderr, "slides_bench: the presentation could not be made\n");
        return 1;
    }

    double bestOurs = 1e9;
    double bestConvert = 1e9;
    double bestFloor = 1e9;
    int slides = 0;
    for (int pass = 0; pass < 3; ++pass) {
        QTemporaryDir work(QDir(dir).filePath(QStringLiteral("work-XXXXXX")));
        const QString exportFolder = QDir(work.path()).filePath(QStringLiteral("autoexport"));
        EnsurePrivateFolder(exportFolder);
        WorkingList list;
        QuietPrompter prompter;
        ImageLoader loader(list, prompter, work.path());
        const WorkSpace space(work.path());
        bool unsaved = false;
        QElapsedTimer clock;
        clock.start();
        SlideExporter exporter(std::make_unique<LibreOfficeBackend>(Soffice(), profile, 600000),
                               deck, exportFolder);
        if (!exporter.OpenPresentation(prompter)) return 1;
        const double opened = clock.elapsed() / 1000.0;
        SlideImportContext context{exporter, loader, list, space, prompter, unsaved, nullptr};
        ImportSlides(context);
        const double ours = clock.elapsed() / 1000.0;
        slides = list.count();
        bestOurs = std::min(bestOurs, ours);
        bestConvert = std::min(bestConvert, opened);

        // The floor: soffice alone, then every page rendered at 2048 pixels wide in memory.
        QTemporaryDir out(QDir(dir).filePath(QStringLiteral("floor-XXXXXX")));
        clock.restart();
        RunSoffice({ProfileArgument(profile), QStringLiteral("--headless"),
                    QStringLiteral("--convert-to"), QStringLiteral("pdf:impress_pdf_Export"),
                    QStringLiteral("--outdir"), out.path(), deck});
        const QByteArray pdf =
            QFile::encodeName(QDir(out.path()).filePath(QStringLiteral("deck.pdf")));
        const vips::VImage first = vips::VImage::pdfload(pdf.constData());
        const int pages = first.get_int("n-pages");
        for (int page = 0; page < pages; ++page) {
            const vips::VImage header =
                vips::VImage::pdfload(pdf.constData(), vips::VImage::option()->set("page", page));
            vips::VImage::pdfload(
                pdf.constData(),
                vips::VImage::option()->set("page", page)->set("scale", 2048.0 / header.width()))
                .avg();
        }
        bestFloor = std::min(bestFloor, clock.elapsed() / 1000.0);
    }
    std::printf("slide import of a %d-slide presentation, best of 3 passes, warm profile\n",
                slides);
    std::printf("  ours: %.2f s in all (conversion %.2f s, then %.0f ms per slide)\n", bestOurs,
                bestConvert, 1000 * (bestOurs - bestConvert) / std::max(1, slides));
    std::printf("  floor (soffice --convert-to pdf, then each page rendered): %.2f s\n", bestFloor);
    std::printf("  ours / floor: %.2f (goal <= 1.2: %s)\n", bestOurs / bestFloor,
                bestOurs / bestFloor <= 1.2 ? "met" : "MISSED");
    return 0;
}
