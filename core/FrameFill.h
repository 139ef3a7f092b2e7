#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// What fills the frame around a picture whose aspect differs from the output size: black bars,
// bars of one colour, or the picture itself scaled to cover the frame, blurred and dimmed. A
// value, chosen in the convert dialog or with --fill and carried by the settings. Any thread.
struct FrameFill {
    enum class Kind { Black, Colour, Blur };
    Kind kind = Kind::Black;
    quint32 rgb = 0;  // Colour only: 0xRRGGBB

    bool operator==(const FrameFill&) const = default;
};

// "black", "blur" or "#RRGGBB" (hexadecimal digits in either case); nothing for any other text.
std::optional<FrameFill> ParseFrameFill(const QString& text);
// The text ParseFrameFill reads back: "black", "blur" or "#rrggbb".
QString FrameFillName(const FrameFill& fill);
