#include "app/ui/WindowImport.h"

#include <QFileInfo>

#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"
#include "slides/ui/ImportProgressDialog.h"

namespace {

// A message box stays readable: the rest is counted.
constexpr int kLinesShown = 12;

}  // namespace

WindowImport::WindowImport(ImageLoader& loader, bool& unsavedChanges,
                           std::function<void(const QString&)> queuePresentation,
                           ImportProgressDialog* progress)
    : loader_(loader),
      unsavedChanges_(unsavedChanges),
      queuePresentation_(std::move(queuePresentation)),
      progress_(progress) {}

bool WindowImport::StepProgress() {
    if (!progress_) return true;
    progress_->StepIt();
    return !progress_->CancelRequested();
}

void WindowImport::LoadImage(const QString& path) {
    ++images_;
    if (progress_) progress_->ShowItem(images_, progress_->maximum(), QFileInfo(path).fileName());
    if (loader_.AddImage(path, 0, 0) == 1) unsavedChanges_ = true;
}

void WindowImport::QueuePresentation(const QString& path) {
    queuePresentation_(path);
}

bool WindowImport::ListFull() const {
    return loader_.list().listFull();
}

void WindowImport::Skipped(const QString& path, SkipReason reason) {
    if (reason == SkipReason::NotImageType) return;
    skipped_.append(QStringLiteral("%1 (%2)").arg(path, SkipReasonText(reason)));
}

void WindowImport::TellSkipped(Prompter& prompter) const {
    if (skipped_.isEmpty()) return;
    prompter.Plain(ListMessage(UiTexts::Text("import.skipped"), skipped_));
}

QString ListMessage(const QString& heading, const QStringList& items) {
    QStringList lines{heading};
    lines += items.mid(0, kLinesShown);
    if (items.size() > kLinesShown) {
        lines.append(UiTexts::Text("import.skipped.more").arg(items.size() - kLinesShown));
    }
    return lines.join(u'\n');
}

void WindowSlideProgress::Start(int slideCount) {
    progress_.Start(slideCount);
}

void WindowSlideProgress::Step() {
    progress_.StepIt();
    progress_.ShowItem(progress_.position(), progress_.maximum(), presentation_);
}

bool WindowSlideProgress::CancelRequested() {
    return progress_.CancelRequested();
}
