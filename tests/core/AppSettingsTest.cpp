#include "core/AppSettings.h"

#include <gtest/gtest.h>

namespace {

void ExpectDefaults(const AppSettings& s) {
    EXPECT_TRUE(s.cardFlag);
    EXPECT_EQ(s.formatIndex, 1);  // JPEG
    EXPECT_EQ(s.qualityPosition, 5);
    EXPECT_TRUE(s.exifOption);
    EXPECT_EQ(s.sizeIndex, 1);  // SVGA
    EXPECT_TRUE(s.thumbnailOption);
    EXPECT_TRUE(s.cardFolder.isEmpty());
    EXPECT_TRUE(s.otherFolder.isEmpty());
    EXPECT_TRUE(s.cardDrive.isEmpty());
    EXPECT_TRUE(s.lastDestination.isEmpty());
    EXPECT_TRUE(s.lastPresentationFolder.isEmpty());
    EXPECT_TRUE(s.lastImageFolder.isEmpty());
}

TEST(AppSettings, ResetRestoresEveryDefaultAndKeepsTheWorkPaths) {
    AppSettings fresh;
    ExpectDefaults(fresh);

    AppSettings s;
    s.cardFlag = false;
    s.formatIndex = 2;
    s.qualityPosition = 1;
    s.exifOption = false;
    s.sizeIndex = 0;
    s.thumbnailOption = false;
    s.cardFolder = "/media/card/DCIM/100RODIV";
    s.otherFolder = "/home/u/out";
    s.cardDrive = "/media/card";
    s.lastDestination = "/media/card/DCIM/100RODIV";
    s.lastPresentationFolder = "/home/u/talks";
    s.lastImageFolder = "/home/u/pics";
    s.workFolder = "/tmp/vimbrelcastorWork";
    s.autoExportFolder = "/tmp/vimbrelcastorWork/autoexport";

    ResetSettings(s);
    ExpectDefaults(s);
    EXPECT_EQ(s.workFolder, "/tmp/vimbrelcastorWork");
    EXPECT_EQ(s.autoExportFolder, "/tmp/vimbrelcastorWork/autoexport");
}

}  // namespace
