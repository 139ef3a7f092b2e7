#include "imaging/readers/DecodedRows.h"

#include "imaging/LeadError.h"

namespace {

void FreePainter(VipsImage*, void* painter) {
    delete static_cast<RowPainter*>(painter);
}

int PaintRegion(VipsRegion* region, void*, void* painter, void*, gboolean*) {
    const RowPainter& paint = *static_cast<const RowPainter*>(painter);
    const VipsRect& area = region->valid;
    for (int y = area.top; y < area.top + area.height; ++y) {
        paint(y, area.left, area.width,
              reinterpret_cast<uchar*>(VIPS_REGION_ADDR(region, area.left, y)));
    }
    return 0;
}

}  // namespace

vips::VImage PaintedImage(int width, int height, int bands, VipsInterpretation interpretation,
                          RowPainter painter) {
    auto* held = new RowPainter(std::move(painter));
    VipsImage* image = vips_image_new();
    // Freed with the picture, or with it here when it cannot be made.
    g_signal_connect(image, "close", G_CALLBACK(FreePainter), held);
    vips_image_init_fields(image, width, height, bands, VIPS_FORMAT_UCHAR, VIPS_CODING_NONE,
                           interpretation, 1.0, 1.0);
    if (vips_image_pipelinev(image, VIPS_DEMAND_STYLE_THINSTRIP, nullptr) != 0 ||
        vips_image_generate(image, nullptr, PaintRegion, nullptr, held, nullptr) != 0) {
        g_object_unref(image);
        throw LeadError("out of memory for a picture", LeadError::Kind::OutOfMemory);
    }
    return vips::VImage(image);
}

vips::VImage WithProfile(vips::VImage image, const QByteArray& profile) {
    if (profile.isEmpty()) return image;
    image = image.copy();
    vips_image_set_blob_copy(image.get_image(), VIPS_META_ICC_NAME, profile.constData(),
                             size_t(profile.size()));
    return image;
}
