#include "imaging/ImagingSetup.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/PdfFiles.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

const char* const kDrawing =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"10\">"
    "<rect width=\"20\" height=\"10\" fill=\"red\"/></svg>\n";

}  // namespace

// After the imaging setup, the library's loaders for formats the program does not take are
// blocked, whether named or chosen by the library; the loaders the program names still read,
// and so does the PDF loader, which the slide path names.
TEST(ImagingSetup, OnlyTheLoadersTheProgramNamesRead) {
    ASSERT_TRUE(StartImaging());
    QTemporaryDir temp;
    const QDir dir(temp.path());
    const QByteArray svg = QFile::encodeName(dir.filePath("drawing.svg"));
    WriteBytes(dir.filePath("drawing.svg"), kDrawing);
    const QByteArray pdf = QFile::encodeName(dir.filePath("slides.pdf"));
    testpdf::WritePdf(dir.filePath("slides.pdf"), {{{72, 36}, Qt::red}});

    EXPECT_THROW(VImage::new_from_file(svg.constData()), vips::VError);
    EXPECT_THROW(VImage::svgload(svg.constData()), vips::VError);
    EXPECT_THROW(VImage::magickload(svg.constData()), vips::VError);
    EXPECT_THROW(VImage::jxlload(svg.constData()), vips::VError);

    const VImage page = VImage::pdfload(pdf.constData());
    EXPECT_EQ(page.width(), 72);
    EXPECT_EQ(page.height(), 36);

    const QByteArray heic = QFile::encodeName(dir.filePath("photo.heic"));
    WriteHeif(Solid(16, 8, Qt::blue), dir.filePath("photo.heic"), "hevc");
    EXPECT_EQ(VImage::heifload(heic.constData()).width(), 16);
    const QByteArray webp = QFile::encodeName(dir.filePath("photo.webp"));
    WriteWebp(Solid(16, 8, Qt::blue), dir.filePath("photo.webp"));
    EXPECT_EQ(VImage::webpload(webp.constData()).width(), 16);
}
