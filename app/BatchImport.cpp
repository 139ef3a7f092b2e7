#include "app/BatchImport.h"

#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "skin/Prompter.h"
#include "slides/PdfBackend.h"
#include "slides/PresentationBackend.h"
#include "slides/SlideExporter.h"
#include "slides/SlideImport.h"

void BatchImport::Collector::Skipped(const QString& path, SkipReason reason) {
    prompter_.Plain(QStringLiteral("%1: %2").arg(path, SkipReasonText(reason)));
    ++skipped;
}

BatchImport::BatchImport(const QStringList& paths, ImageLoader& loader, WorkingList& list,
                         Prompter& prompter, const WorkSpace& space, const AppSettings& settings)
    : loader_(loader),
      list_(list),
      prompter_(prompter),
      space_(space),
      settings_(settings),
      collected_(prompter) {
    for (const QString& path : paths) {
        int counter = 0;
        ImportPath(path, counter, ImportMode::Load, &collected_);
    }
}

void BatchImport::CountAhead() {
    for (Item& item : collected_.items) {
        if (!item.presentation) {
            item.entries = ImageLoader::Examine(item.path).message == 0 ? 1 : 0;
        } else if (PdfBackend::IsPdf(item.path)) {
            item.entries = PdfBackend::PageCount(item.path);
        }
    }
}

int BatchImport::entriesAhead() const {
    int entries = 0;
    for (const Item& item : collected_.items) entries += item.entries;
    return entries;
}

bool BatchImport::FeedOne(const std::atomic<bool>& stop) {
    std::deque<Item>& items = collected_.items;
    if (items.empty() || stop) return false;
    if (!space_.CheckWorkSpace(prompter_)) {
        cut_ = true;
        items.clear();
        return false;
    }
    const Item item = items.front();
    items.pop_front();
    if (item.presentation) {
        ImportPresentation(item.path);
    } else if (loader_.AddImage(item.path, 0, 0) != 1) {
        ++refused_;
    }
    if (list_.listFull()) items.clear();
    return true;
}

void BatchImport::ImportPresentation(const QString& path) {
    if (!ReadyForPresentation(path, settings_, space_, prompter_)) {
        ++refused_;
        return;
    }
    SlideExporter exporter(MakePresentationBackend(settings_, path), path,
                           settings_.autoExportFolder);
    if (!exporter.OpenPresentation(prompter_)) {
        ++refused_;
        return;
    }
    bool unsaved = false;
    SlideImportContext context{exporter, loader_, list_, space_, prompter_, unsaved, nullptr};
    ImportSlides(context);
    // A slide that could not be made ends the import early: the rest counts as refused.
    if (exporter.currentSlide <= exporter.slideCount() && !list_.listFull()) ++refused_;
}
