#include "slides/PresentationBackend.h"

#include <QDir>

#include "core/AppSettings.h"
#include "skin/ProfileStore.h"
#include "slides/LibreOfficeBackend.h"
#include "slides/PdfBackend.h"

namespace {

constexpr int kConversionLimitMs = 180000;

}  // namespace

std::unique_ptr<PresentationBackend> MakePresentationBackend(const AppSettings& settings,
                                                             const QString& path) {
    // A PDF already holds the pages as the presentation program printed them.
    if (PdfBackend::IsPdf(path)) return std::make_unique<PdfBackend>();
    // Slides come from LibreOffice: it converts the presentation to PDF once, and each page is
    // rendered at the size asked for. The steps that only an automated presentation program
    // needed have no counterpart here: there is no export filter to choose by its version (a
    // page renders as pixels at any size), no slide numbering to reset before each export,
    // and no wait for a slide to be ready.
    const QString configured = ProfileStore().value(QStringLiteral("LibreOffice/Path")).toString();
    const QString soffice = LibreOfficeBackend::FindSoffice(configured);
    if (soffice.isEmpty()) return std::make_unique<UnavailableBackend>();
    return std::make_unique<LibreOfficeBackend>(
        soffice, QDir(settings.workFolder).filePath(QStringLiteral("presentation-profile")),
        kConversionLimitMs);
}
