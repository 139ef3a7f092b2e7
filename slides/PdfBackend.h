#pragma once

#include <QList>
#include <QSizeF>
#include <QString>

#include "slides/PresentationBackend.h"

// The presentations backend for a PDF file, each page one slide: the file is copied into a
// private work folder (the user's file is only read, and a change to it during the import
// does not reach the slides) and every page is rendered by the PDF loader straight at the
// size asked for. No other program is started. A file the loader cannot open (damaged,
// protected by a password, not a PDF) is refused. GUI thread (or the batch run's); the
// pages are drawn on the pool while the calling thread's events keep running.
class PdfBackend : public PresentationBackend {
public:
    PdfBackend() = default;
    ~PdfBackend() override;

    // Whether path names a PDF by its extension (any case).
    static bool IsPdf(const QString& path);
    // The number of pages an import of the PDF at path adds; 0 when it would be refused.
    static int PageCount(const QString& path);

    OpenResult Open(const QString& path, const QString& exportFolder) override;
    int SlideCount() const override { return int(sizes_.size()); }
    QSizeF SlideSize(int n) const override;
    bool ExportSlide(int n, int width, int height, const QString& file) override;
    void Close() override;

protected:
    // Makes the private work folder in exportFolder; false when it cannot be made.
    bool MakeWorkFolder(const QString& exportFolder);
    // Copies path into the work folder as deck.<extension>; the copy's path, empty on failure.
    QString CopyIntoWorkFolder(const QString& path) const;
    // Reads the page count and each page's size of pdf, which from then on is the file the
    // pages are rendered from; false when it cannot be read or has no page.
    bool ReadPages(const QString& pdf);

    QString workFolder_;  // the copies and the PDF; removed by Close

private:
    QString pdf_;
    QList<QSizeF> sizes_;  // each page's size in points
};
