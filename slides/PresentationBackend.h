#pragma once

#include <QSizeF>
#include <QString>
#include <memory>

struct AppSettings;

// What the slide import needs from a presentation program: open a file, tell the number of
// slides and their size, write slide n as a picture of a given pixel size, close. One backend
// serves one presentation import. GUI thread (a backend may run another process meanwhile).
class PresentationBackend {
public:
    enum class OpenResult {
        Opened,
        NotInstalled,  // no presentation program to open it with (message 115)
        Refused,       // the program cannot read the file (message 133)
    };

    virtual ~PresentationBackend() = default;

    // Opens the presentation; work files go into exportFolder.
    virtual OpenResult Open(const QString& path, const QString& exportFolder) = 0;
    virtual int SlideCount() const = 0;
    // The size of slide n (1-based) in points.
    virtual QSizeF SlideSize(int n) const = 0;
    // Writes slide n as a picture of width x height pixels; false on failure.
    virtual bool ExportSlide(int n, int width, int height, const QString& file) = 0;
    // Closes the presentation and removes the backend's own work files.
    virtual void Close() = 0;
};

// The backend of a machine without any presentation program: every open reports it as not
// installed.
class UnavailableBackend : public PresentationBackend {
public:
    OpenResult Open(const QString&, const QString&) override { return OpenResult::NotInstalled; }
    int SlideCount() const override { return 0; }
    QSizeF SlideSize(int) const override { return QSizeF(); }
    bool ExportSlide(int, int, int, const QString&) override { return false; }
    void Close() override {}
};

// The backend for the presentation at path: a PDF's own pages, else what this machine offers.
std::unique_ptr<PresentationBackend> MakePresentationBackend(const AppSettings& settings,
                                                             const QString& path);
