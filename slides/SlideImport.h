#pragma once

#include <QSize>
#include <QString>
#include <functional>

class ImageLoader;
class Prompter;
class SlideExporter;
class WorkSpace;
class WorkingList;
class CLead;
struct AppSettings;

// How a slide import shows its progress and hears a stop: the window's progress window, or
// nothing in the batch run.
class SlideProgress {
public:
    virtual ~SlideProgress() = default;
    virtual void Start(int slideCount) = 0;
    virtual void Step() = 0;
    // True when the user asked to stop (read after each slide).
    virtual bool CancelRequested() = 0;
};

// Everything one slide import works with.
struct SlideImportContext {
    SlideExporter& exporter;
    ImageLoader& loader;
    WorkingList& list;
    const WorkSpace& workSpace;
    Prompter& prompter;
    bool& unsavedChanges;
    SlideProgress* progress = nullptr;
};

// The export size of a slide of width x height points: 2048 wide when it is not taller than
// wide, else 1536 high; the other side from the ratio, truncated.
struct ExportSize {
    int width;
    int height;
};
ExportSize SlideExportSize(float slideWidth, float slideHeight);

// The size the exported picture takes once fitted into a frame of width x height (what
// FitSlideImage makes of it), rounded to whole pixels.
QSize FittedSlideSize(const ExportSize& size, int width, int height);

// The file of slide n: the presentation's base name and the number with at least four digits.
QString SlideFileName(const QString& presentationPath, int slide, const QString& extension);

// Centres the image held by work on a black frame of width x height, the image scaled (up or
// down) by the larger of its two ratios to the frame, placed without rounding the centring.
void FitSlideImage(CLead& work, CLead& canvas, int width, int height);

// Tells that the file at path is not a presentation this program can read: message 133 with
// the path, or for a PDF a text that names it as the PDF it is (damaged, or protected by a
// password).
void TellRefusedPresentation(const QString& path, Prompter& prompter);

// The name an image of a presentation shows and is spoken by: the presentation's file name and
// the slide's (a PDF's: the page's) number.
QString SlideName(const QString& presentationPath, int slide);

// The checks before a presentation is converted, in this order: room in the work folder (141),
// a file that is not empty (133; it is opened for reading only), the work and export folders
// made (135). False when one fails, its message shown.
bool ReadyForPresentation(const QString& path, const AppSettings& settings,
                          const WorkSpace& workSpace, Prompter& prompter);

// Walks the slides of an opened presentation in order: each is exported, fitted onto an
// 800 x 600 black frame, saved as a 24-bit bitmap and added to the list as a slide, until
// the last one, a failure (134 or 135, already shown), a full list or a stop. The
// presentation is ended in every case. GUI thread (or the batch run's).
void ImportSlides(SlideImportContext& context);

// One slide; false when the run must stop (the reason was shown).
bool ExportSlide(SlideImportContext& context, int slide);
