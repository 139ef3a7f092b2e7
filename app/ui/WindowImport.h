#pragma once

#include "app/ImportDispatch.h"

class ImportProgressDialog;
class MainDialog;

// Where the window's imports put what they find: images into the working list through the
// loader (marking the list unsaved), presentations into the window's queue, with a step of
// the progress window (and a look at its Cancel) before each. GUI thread.
class WindowImport : public ImportSink {
public:
    WindowImport(MainDialog& window, ImportProgressDialog* progress);

    bool StepProgress() override;
    void LoadImage(const QString& path) override;
    void QueuePresentation(const QString& path) override;
    bool ListFull() const override;

private:
    MainDialog& window_;
    ImportProgressDialog* progress_;
};
