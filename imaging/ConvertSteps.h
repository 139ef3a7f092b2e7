#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "core/FrameFill.h"

class CLead;
class LeadError;

// The steps that turn one work copy into an output image, over two imaging instances: the
// work instance, which holds the image to be saved, and a scratch instance for the canvas and
// the format trial. Any thread, one image per pair of instances.

// Scales the work instance's image to the output size of sizeIndex. Equal aspect ratios are
// resized straight to W x H; otherwise the picture, scaled by s = max(w / W, h / H), is
// centred on a W x H canvas filled as fill says at ((W - w/s) / 2, (H - h/s) / 2). A bilevel
// image is scaled as grey; after letterboxing on black it is made bilevel again (a colour or a
// blurred backdrop is not bilevel, so it stays grey or colour). When it succeeds the held
// pixels are computed (an encode cannot meet a decode error) and work.Damaged() tells whether
// the picture was decoded with warnings. False when the imaging library failed (no message);
// failure, when given, then holds the error with its kind and reason.
bool FitToOutputSize(CLead& work, CLead& scratch, int sizeIndex, const FrameFill& fill = {},
                     std::optional<LeadError>* failure = nullptr);

// Centres the work instance's image on a W x H canvas of the given bits filled as fill says
// (in colour for a colour that is not grey), scaled (up or down) by the larger of its two
// ratios to the canvas and placed without rounding the centring; the work instance then holds
// the canvas. Throws LeadError.
void LetterboxImage(CLead& work, CLead& canvas, float W, float H, int bits,
                    const FrameFill& fill = {});

// The automatic choice: PNG when a quarter-size trial encodes strictly smaller as PNG than as
// JPEG at the best quality, otherwise JPEG (also when the trial fails). Returns a format code.
int ChooseFormatAutomatically(CLead& scratch, const QString& workFile);

// The metadata slots of the Exif block: versions, interoperability texts, the time of saving
// (local, "%Y:%m:%d %H:%M:%S") in both date slots, maker and model.
void FillExifSlots(CLead& work, const QDateTime& now);
