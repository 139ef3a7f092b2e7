#pragma once

#include <array>

#include "skin/ui/SkinPalette.h"

// The fixed numbers of the skinned look: the bitmap ids of every skinned button, radio and title
// band, so that a window names its pictures by role and a reader finds each id once; its
// colours are in SkinPalette.h. Plain constants; any thread may read them.
namespace skin {

// The four pictures of a push button; 0 = none (the normal picture stands in).
struct ButtonBitmaps {
    int normal;
    int pressed;
    int hover;
    int disabled;
};

inline constexpr ButtonBitmaps kOkButton{168, 166, 167, 169};
inline constexpr ButtonBitmaps kCancelButton{174, 175, 173, 172};
inline constexpr ButtonBitmaps kImportFileButton{142, 144, 143, 0};
inline constexpr ButtonBitmaps kImportSlideButton{140, 138, 139, 141};
inline constexpr ButtonBitmaps kConvertButton{147, 145, 146, 0};
inline constexpr ButtonBitmaps kRehearseButton{284, 285, 286, 287};
inline constexpr ButtonBitmaps kFolderButton{157, 158, 156, 155};
inline constexpr ButtonBitmaps kCompanionButton{161, 159, 160, 0};
inline constexpr ButtonBitmaps kCloseButton{178, 176, 177, 179};
inline constexpr ButtonBitmaps kNextButton{213, 211, 212, 228};
inline constexpr ButtonBitmaps kPreviousButton{217, 215, 216, 218};
inline constexpr ButtonBitmaps kStopButton{231, 229, 230, 232};
inline constexpr ButtonBitmaps kSaveButton{225, 223, 224, 226};
inline constexpr ButtonBitmaps kSaveAllButton{221, 219, 220, 222};
inline constexpr ButtonBitmaps kEjectButton{281, 280, 282, 283};
inline constexpr ButtonBitmaps kOverwriteButton{263, 261, 262, 258};
inline constexpr ButtonBitmaps kNoButton{248, 246, 247, 249};
inline constexpr ButtonBitmaps kOverwriteAllButton{255, 250, 254, 256};
inline constexpr ButtonBitmaps kSaveNextButton{259, 257, 264, 260};
inline constexpr ButtonBitmaps kBreakButton{244, 242, 243, 245};

// The title-bar buttons and where they sit: their left edge this far left of the window's right
// edge, their top this far below the window's top.
inline constexpr ButtonBitmaps kTitleCloseButton{189, 187, 190, 188};
inline constexpr ButtonBitmaps kTitleMinimiseButton{193, 191, 194, 192};
inline constexpr int kTitleCloseRight = 28;
inline constexpr int kTitleMinimiseRight = 48;
inline constexpr int kTitleButtonTop = 6;

// The six pictures of a radio or check button, in the order BitmapRadio takes them: checked
// normal, checked hover, checked disabled, unchecked normal, unchecked hover, unchecked disabled.
using RadioBitmaps = std::array<int, 6>;

inline constexpr RadioBitmaps kMainWindowRadio{152, 149, 154, 150, 151, 153};
inline constexpr RadioBitmaps kPlacementRadio{239, 238, 240, 236, 234, 237};
inline constexpr RadioBitmaps kPreferencesCheck{204, 203, 200, 201, 205, 202};

// Title bands, active and inactive.
struct TitlePictures {
    int active;
    int inactive;
};

inline constexpr TitlePictures kMainWindowTitle{170, 171};
inline constexpr TitlePictures kAboutTitle{164, 165};
inline constexpr TitlePictures kMessageBoxTitle{182, 181};  // MessageBox
inline constexpr TitlePictures kOverwriteBoxTitle{266, 265};
inline constexpr TitlePictures kPlacementTitle{186, 185};
inline constexpr TitlePictures kPreferencesTitle{198, 199};
inline constexpr TitlePictures kConvertTitle{209, 210};
inline constexpr TitlePictures kDestinationTitle{183, 184};

// The frame's border inside which the title band lies.
inline constexpr int kFrameWidth = 2;

}  // namespace skin
