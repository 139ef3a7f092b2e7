#pragma once

#include <QRgb>

// The colours of the skinned look, in one place: the grounds that windows and pictures sit on,
// the edges, the texts and the grid's colours, the title bands and the accent. The widgets
// paint with them and the drawn pictures (SkinArt) shade from them. Plain constants; any thread
// may read them.
namespace skin {

inline constexpr QRgb kPanelBackground = qRgb(223, 238, 248);  // main, preferences, convert panels
inline constexpr QRgb kBoxBackground = qRgb(255, 255, 255);    // message boxes and small dialogs
inline constexpr QRgb kMenuBackground = qRgb(223, 239, 248);
inline constexpr QRgb kLightEdge = qRgb(148, 224, 233);  // also the highlighted menu item
inline constexpr QRgb kDarkEdge = qRgb(4, 28, 76);       // also the menu separator line
inline constexpr QRgb kGrayedText = qRgb(128, 128, 128);
inline constexpr QRgb kThumbViewBackground = qRgb(142, 142, 142);
inline constexpr QRgb kThumbCell = qRgb(67, 67, 67);          // also a file that cannot be decoded
inline constexpr QRgb kDetailsText = qRgb(90, 90, 90);        // a second, quieter line of a control
inline constexpr QRgb kThumbNotRendered = qRgb(0, 150, 224);  // before the thumbnail is made
inline constexpr QRgb kThumbNumber = qRgb(74, 167, 100);      // the number over a thumbnail
// Convert and Save, the selected cells and the drop marker of the grid, the card in the mark.
inline constexpr QRgb kAccent = qRgb(252, 143, 89);

// The title bands, lighter at the top. The title-bar buttons are painted over the right end of
// an active band, so that end is this one flat colour and the buttons are filled with it.
inline constexpr QRgb kBandActive = kDarkEdge;
inline constexpr QRgb kBandActiveLight = qRgb(26, 70, 136);
inline constexpr QRgb kBandInactive = qRgb(116, 126, 141);
inline constexpr QRgb kBandInactiveLight = qRgb(146, 156, 170);

}  // namespace skin
