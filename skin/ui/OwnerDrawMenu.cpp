#include "skin/ui/OwnerDrawMenu.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include "skin/ui/SkinConstants.h"

namespace {

// The item text keeps this far from the item's left and right edges.
constexpr int kTextInset = 12;
// Room between the longest text and the shortcut column.
constexpr int kShortcutGap = 24;
// The separator line keeps this far from the item's left and right edges.
constexpr int kSeparatorInset = 2;

// The menu's look lives in a style because QMenu lays out and paints its items through its
// style; everything that is not a menu part goes to the application's style.
class MenuLook : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        switch (element) {
            case PE_PanelMenu:
                painter->fillRect(option->rect, QColor(skin::kMenuBackground));
                return;
            case PE_FrameMenu:
                painter->setPen(QColor(skin::kDarkEdge));
                painter->setBrush(Qt::NoBrush);
                painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
                return;
            default:
                QProxyStyle::drawPrimitive(element, option, painter, widget);
        }
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuEmptyArea) {
            painter->fillRect(option->rect, QColor(skin::kMenuBackground));
            return;
        }
        if (element == CE_MenuItem) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                if (item->menuItemType == QStyleOptionMenuItem::Separator) {
                    DrawSeparator(item->rect, painter);
                } else {
                    DrawItem(*item, painter);
                }
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override {
        if (type != CT_MenuItem) {
            return QProxyStyle::sizeFromContents(type, option, contents, widget);
        }
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (item == nullptr) return QProxyStyle::sizeFromContents(type, option, contents, widget);
        const QFontMetrics metrics(item->font);
        if (item->menuItemType == QStyleOptionMenuItem::Separator) {
            // Half the height of a menu bar.
            return QSize(contents.width(), (metrics.height() + 6) / 2);
        }
        // QMenu adds the width of the widest shortcut itself.
        int width = contents.width() + 2 * kTextInset;
        if (item->text.contains(QLatin1Char('\t'))) width += kShortcutGap;
        return QSize(width, qMax(contents.height(), metrics.height()) + 6);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
            case PM_MenuPanelWidth:
                return 1;
            case PM_MenuHMargin:
                return 0;
            case PM_MenuVMargin:
                return 1;
            default:
                return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

private:
    static void DrawSeparator(const QRect& rect, QPainter* painter) {
        painter->fillRect(rect, QColor(skin::kMenuBackground));
        const int width = rect.width() - 2 * kSeparatorInset;
        const int top = rect.top() + rect.height() / 2 - 1;
        painter->fillRect(QRect(rect.left() + kSeparatorInset, top, width, 1),
                          QColor(skin::kDarkEdge));
        painter->fillRect(QRect(rect.left() + kSeparatorInset, top + 1, width, 1),
                          QColor(skin::kLightEdge));
    }

    static void DrawItem(const QStyleOptionMenuItem& item, QPainter* painter) {
        const bool enabled = item.state & State_Enabled;
        const bool highlighted = item.state & State_Selected;
        painter->fillRect(item.rect,
                          QColor(highlighted ? skin::kLightEdge : skin::kMenuBackground));
        painter->setPen(enabled ? QColor(Qt::black) : QColor(skin::kGrayedText));
        painter->setFont(item.font);
        const QRect textRect = item.rect.adjusted(kTextInset, 0, -kTextInset, 0);
        const auto texts = OwnerDrawMenu::SplitItemText(item.text);
        const int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
        painter->drawText(textRect, Qt::AlignLeft | flags, texts.left);
        if (!texts.right.isEmpty())
            painter->drawText(textRect, Qt::AlignRight | flags, texts.right);
    }
};

// One look serves every menu. It belongs to the application, which outlives the menus: a
// style owned by its own menu would be deleted while the dying menu may still reach for it.
QStyle* TheMenuLook() {
    static QPointer<MenuLook> look;
    if (look.isNull()) {
        look = new MenuLook;
        look->setParent(qApp);
    }
    return look;
}

}  // namespace

OwnerDrawMenu::OwnerDrawMenu(QWidget* parent) : QMenu(parent) {
    setStyle(TheMenuLook());
}

OwnerDrawMenu::ItemTexts OwnerDrawMenu::SplitItemText(const QString& text) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0) return {text, QString()};
    return {text.left(tab), text.mid(tab + 1)};
}
