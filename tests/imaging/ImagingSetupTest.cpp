#include "imaging/ImagingSetup.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

const char* const kDrawing =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"10\">"
    "<rect width=\"20\" height=\"10\" fill=\"red\"/></svg>\n";

}  // namespace

// After the imaging setup, the library's loaders for formats the program does not take are
// blocked, whether named or chosen by the library (the loaders the program names read in the
// tests of its photo formats and of PDF slides).
TEST(ImagingSetup, OnlyTheLoadersTheProgramNamesRead) {
    ASSERT_TRUE(StartImaging());
    QTemporaryDir temp;
    const QDir dir(temp.path());
    const QByteArray svg = QFile::encodeName(dir.filePath("drawing.svg"));
    WriteBytes(dir.filePath("drawing.svg"), kDrawing);

    EXPECT_THROW(VImage::new_from_file(svg.constData()), vips::VError);
    EXPECT_THROW(VImage::svgload(svg.constData()), vips::VError);
    EXPECT_THROW(VImage::magickload(svg.constData()), vips::VError);
    EXPECT_THROW(VImage::jxlload(svg.constData()), vips::VError);
}
