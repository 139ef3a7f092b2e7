#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <deque>

#include "app/ImportDispatch.h"

struct AppSettings;
class ImageLoader;
class Prompter;
class WorkSpace;
class WorkingList;

// The batch run's import, fed to the convert run one path at a time so that copying files
// and encoding overlap. The paths are walked first, names only, and what is not taken is said
// at once with its reason; then each image goes to the loader and each presentation is turned
// into slides in its place among the images. The run has no Cancel button: the stop flag of
// the signals and a full work-folder drive end the import. Main thread.
class BatchImport {
public:
    BatchImport(const QStringList& paths, ImageLoader& loader, WorkingList& list,
                Prompter& prompter, const WorkSpace& space, const AppSettings& settings);

    // Finds ahead how many entries each path will add, so that a progress line's total is right
    // from its first line: images the import will refuse by their headers, a PDF's pages. Costs
    // a read of each file.
    void CountAhead();
    // Imports the next path; false when nothing is left, or the import was cut.
    bool FeedOne(const std::atomic<bool>& stop);
    // The entries still to come, as far as they are known.
    int entriesAhead() const;
    // Paths not taken and images or presentations refused.
    int refused() const { return collected_.skipped + refused_; }
    // The work folder's drive filled up before every path was imported.
    bool cut() const { return cut_; }

private:
    struct Item {
        bool presentation;
        QString path;
        // The entries it adds: 0 for an image refused ahead, a PDF's page count, 1 for another
        // presentation until it shows its slides.
        int entries = 1;
    };

    // The images and presentations a path stands for, in order, without loading anything.
    class Collector : public ImportSink {
    public:
        explicit Collector(Prompter& prompter) : prompter_(prompter) {}

        bool StepProgress() override { return true; }
        void LoadImage(const QString& path) override { items.push_back({false, path}); }
        void QueuePresentation(const QString& path) override { items.push_back({true, path}); }
        bool ListFull() const override { return false; }
        void Skipped(const QString& path, SkipReason reason) override;

        std::deque<Item> items;
        int skipped = 0;

    private:
        Prompter& prompter_;
    };

    void ImportPresentation(const QString& path);

    ImageLoader& loader_;
    WorkingList& list_;
    Prompter& prompter_;
    const WorkSpace& space_;
    const AppSettings& settings_;
    Collector collected_;
    int refused_ = 0;
    bool cut_ = false;
};
