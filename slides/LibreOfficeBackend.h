#pragma once

#include <QString>

#include "slides/PdfBackend.h"

// The presentations backend over LibreOffice: the presentation is copied into a private work
// folder, converted once to PDF by a headless LibreOffice with a profile of our own (a
// LibreOffice the user has open is neither used nor disturbed) under a time limit, and each
// page is then rendered at the size asked for, as a PDF's pages are. The import filter is forced by
// the file's extension, so a text file named .ppt is refused instead of being typeset as a
// document. While LibreOffice works, the calling thread's events keep running. GUI thread (or the
// batch run's).
class LibreOfficeBackend : public PdfBackend {
public:
    // soffice: the program; profileFolder: its private profile, kept between imports so only
    // the first import pays for making it; timeoutMs: a conversion taking longer is killed.
    LibreOfficeBackend(QString soffice, QString profileFolder, int timeoutMs);

    // The soffice program: the configured path when it is an executable, else the one on the
    // PATH; empty when there is none.
    static QString FindSoffice(const QString& configured = QString());
    // The import filter for a presentation's extension; empty for any other file.
    static QString ImportFilter(const QString& path);

    OpenResult Open(const QString& path, const QString& exportFolder) override;

private:
    bool Convert(const QString& copy, const QString& filter);

    QString soffice_;
    QString profileFolder_;
    int timeoutMs_;
};
