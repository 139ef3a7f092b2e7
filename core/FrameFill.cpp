#include "core/FrameFill.h"

#include <QRegularExpression>

std::optional<FrameFill> ParseFrameFill(const QString& text) {
    if (text == QLatin1String("black")) return FrameFill{};
    if (text == QLatin1String("blur")) return FrameFill{FrameFill::Kind::Blur};
    static const QRegularExpression colour(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (!colour.match(text).hasMatch()) return std::nullopt;
    return FrameFill{FrameFill::Kind::Colour, text.mid(1).toUInt(nullptr, 16)};
}

QString FrameFillName(const FrameFill& fill) {
    switch (fill.kind) {
        case FrameFill::Kind::Black:
            break;
        case FrameFill::Kind::Colour:
            return QStringLiteral("#%1").arg(fill.rgb & 0xFFFFFF, 6, 16, QLatin1Char('0'));
        case FrameFill::Kind::Blur:
            return QStringLiteral("blur");
    }
    return QStringLiteral("black");
}
