#include "slides/SlideImport.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "imaging/CLead.h"
#include "imaging/ConvertSteps.h"
#include "imaging/ImageLoader.h"
#include "imaging/ImagingConstants.h"
#include "skin/MessageIds.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"
#include "slides/PdfBackend.h"
#include "slides/SlideExporter.h"

namespace {

constexpr int kLandscapeWidth = 2048;
constexpr int kPortraitHeight = 1536;
constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;

}  // namespace

ExportSize SlideExportSize(float slideWidth, float slideHeight) {
    const float r = slideHeight / slideWidth;  // single precision, as the sizes come
    if (r <= 1.0f) return {kLandscapeWidth, int(double(kLandscapeWidth) * double(r))};
    return {int(double(kPortraitHeight) / double(r)), kPortraitHeight};
}

QString SlideFileName(const QString& presentationPath, int slide, const QString& extension) {
    return QStringLiteral("%1%2.%3")
        .arg(QFileInfo(presentationPath).completeBaseName())
        .arg(slide, 4, 10, QLatin1Char('0'))
        .arg(extension);
}

QSize FittedSlideSize(const ExportSize& size, int width, int height) {
    const float s = std::max(float(size.width) / float(width), float(size.height) / float(height));
    return QSize(std::max(1, int(std::lround(size.width / s))),
                 std::max(1, int(std::lround(size.height / s))));
}

void FitSlideImage(CLead& work, CLead& canvas, int width, int height) {
    LetterboxImage(work, canvas, float(width), float(height), 24);
}

bool ExportSlide(SlideImportContext& context, int slide) {
    if (!context.workSpace.CheckWorkSpace(context.prompter)) return false;
    SlideExporter& exporter = context.exporter;
    const QString file = exporter.exportFolder() + QLatin1Char('/') +
                         SlideFileName(exporter.presentationPath(), slide, QStringLiteral("bmp"));
    const QSizeF size = exporter.backend().SlideSize(slide);
    if (!size.isValid() || size.isEmpty()) {
        context.prompter.Info(msg::SlidesDisplayFailed);
        return false;
    }
    const ExportSize exportSize = SlideExportSize(float(size.width()), float(size.height()));
    // The page is drawn straight at the size it takes in the frame: the picture the export
    // size scaled down by the frame's factor would give, drawn sharper and at a fraction of the
    // cost of drawing 2048 pixels and resampling them.
    const QSize drawn = FittedSlideSize(exportSize, kFrameWidth, kFrameHeight);
    CLead work;
    CLead canvas;
    try {
        if (!exporter.backend().ExportSlide(slide, drawn.width(), drawn.height(), file)) {
            throw LeadError("the slide could not be exported");
        }
        work.LoadImage(file, 24, 0, -1);
        FitSlideImage(work, canvas, kFrameWidth, kFrameHeight);
        QFile::remove(file);
        // The bitmap takes the exported file's place under the same name.
        work.SaveImage(file, imaging::kFormatBmp, 24, 0, 0);
    } catch (const LeadError&) {
        work.ReleaseImage();
        context.prompter.Info(msg::SlidesLoadFailed);
        return false;
    }
    context.list.setListFull(false);
    if (context.loader.AddImage(file, 1, 1) == 1) {
        context.unsavedChanges = true;
        context.list.SetName(context.list.count() - 1,
                             SlideName(exporter.presentationPath(), slide));
    }
    // The loader made its own work copy.
    QFile::remove(file);
    return true;
}

void TellRefusedPresentation(const QString& path, Prompter& prompter) {
    if (PdfBackend::IsPdf(path)) {
        prompter.Plain(UiTexts::Text("slides.pdf_refused").arg(path));
    } else {
        prompter.Info(msg::WrongPresentation, path);
    }
}

QString SlideName(const QString& presentationPath, int slide) {
    return UiTexts::Text(PdfBackend::IsPdf(presentationPath) ? "slides.name.page" : "slides.name")
        .arg(QFileInfo(presentationPath).fileName())
        .arg(slide);
}

bool ReadyForPresentation(const QString& path, const AppSettings& settings,
                          const WorkSpace& workSpace, Prompter& prompter) {
    if (!workSpace.CheckWorkSpace(prompter)) return false;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.size() == 0) {
        TellRefusedPresentation(path, prompter);
        return false;
    }
    file.close();
    if (!EnsurePrivateFolder(settings.workFolder) ||
        !EnsurePrivateFolder(settings.autoExportFolder)) {
        prompter.Info(msg::SlidesLoadFailed);
        return false;
    }
    return true;
}

void ImportSlides(SlideImportContext& context) {
    SlideExporter& exporter = context.exporter;
    const int count = exporter.slideCount();
    if (context.progress) context.progress->Start(count);
    for (exporter.currentSlide = 1; exporter.currentSlide <= count; ++exporter.currentSlide) {
        if (context.progress) context.progress->Step();
        if (!ExportSlide(context, exporter.currentSlide)) break;
        if (context.list.listFull()) break;
        if (context.progress && context.progress->CancelRequested()) break;
    }
    exporter.EndPresentation();
}
