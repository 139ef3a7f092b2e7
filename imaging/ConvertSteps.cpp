#include "imaging/ConvertSteps.h"

#include "imaging/CLead.h"
#include "imaging/ImagingConstants.h"

using namespace imaging;

bool FitToOutputSize(CLead& work, CLead& scratch, int sizeIndex, const FrameFill& fill,
                     std::optional<LeadError>* failure) {
    const OutputSize size = kSizeTable.at(sizeIndex);
    try {
        const float W = float(size.width);
        const float H = float(size.height);
        const float w = work.ImageWidth();
        const float h = work.ImageHeight();
        const float rx = w / W;
        const float ry = h / H;
        const bool oneBit = work.ImageBits() == 1;
        if (oneBit) work.ConvertToGray(8);
        if (rx == ry) {
            work.ResizeImage(W, H, kResizeQuality);
            return true;  // a bilevel image stays 8-bit grey here
        }
        LetterboxImage(work, scratch, W, H, work.ImageBits(), fill);
        if (oneBit && fill.kind == FrameFill::Kind::Black) work.ReduceColours(1, 1, 0, 0);
        return true;
    } catch (const LeadError& error) {
        if (failure) failure->emplace(error);
        return false;
    }
}

void LetterboxImage(CLead& work, CLead& canvas, float W, float H, int bits, const FrameFill& fill) {
    const quint32 r = (fill.rgb >> 16) & 0xFF;
    const quint32 g = (fill.rgb >> 8) & 0xFF;
    const quint32 b = fill.rgb & 0xFF;
    const bool colour = fill.kind == FrameFill::Kind::Colour && !(r == g && g == b);
    canvas.CreateImage(W, H, colour ? 24 : bits);
    const float w = work.ImageWidth();
    const float h = work.ImageHeight();
    const float s = std::max(w / W, h / H);
    work.ResizeImage(w / s, h / s, kResizeQuality);
    // The backdrop is made from the fitted picture: already small and in memory.
    if (fill.kind == FrameFill::Kind::Blur) {
        canvas.CoverImage(work.ImageHandle());
    } else if (fill.kind == FrameFill::Kind::Colour) {
        canvas.FillImage(b << 16 | g << 8 | r);
    } else {
        canvas.FillImage(0);
    }
    canvas.CombineImage((W - w / s) * 0.5f, (H - h / s) * 0.5f, w / s, h / s, work.ImageHandle(), 0,
                        0, 800);
    work.SetImageHandle(canvas.ImageHandle());
    canvas.ReleaseImage();
}

int ChooseFormatAutomatically(CLead& scratch, const QString& workFile) {
    int chosen = kFormatJpeg;
    try {
        scratch.LoadImage(workFile, 0, 0, -1);
        scratch.ResizeImage(scratch.ImageWidth() / 4, scratch.ImageHeight() / 4, kResizeFast);
        const qsizetype png = scratch.SaveImageToMemory(kFormatPng, 0, 0).size();
        const qsizetype jpeg = scratch.SaveImageToMemory(kFormatJpeg, 0, 2).size();
        if (jpeg > png) chosen = kFormatPng;
    } catch (const LeadError&) {
        chosen = kFormatJpeg;
    }
    scratch.ReleaseImage();
    return chosen;
}

void FillExifSlots(CLead& work, const QDateTime& now) {
    work.SetComment(kSlotFlashpixVersion, QStringLiteral("0100"));
    work.SetComment(kSlotInteropIndex, QStringLiteral("R98"));
    work.SetComment(kSlotInteropVersion, QStringLiteral("0100"));
    const QString stamp = now.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    work.SetComment(kSlotDateTime, stamp);
    work.SetComment(kSlotDateTimeDigitized, stamp);
    work.SetComment(kSlotMake, QStringLiteral("Kestrovia"));
    work.SetComment(kSlotModel, QStringLiteral("VIMBRELCASTOR"));
}
