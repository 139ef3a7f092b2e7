#include "app/SplitArgumentList.h"

namespace {

constexpr QChar kQuote = u'"';
constexpr QChar kSpace = u' ';

// The words between single blanks; nothing follows a trailing blank.
void AppendWords(QStringView text, QStringList& items) {
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype space = text.indexOf(kSpace, start);
        if (space < 0) {
            items.append(text.mid(start).toString());
            return;
        }
        items.append(text.mid(start, space - start).toString());
        start = space + 1;
    }
}

}  // namespace

QStringList SplitArgumentList(const QString& input) {
    QString text = input;
    QStringList items;
    if (!text.contains(kQuote)) {
        const qsizetype space = text.indexOf(kSpace);
        if (space <= 0) {
            items.append(text);  // also the one empty item of an empty text
        } else {
            AppendWords(text, items);
        }
        return items;
    }
    if (!text.startsWith(kQuote)) {
        // An unquoted first word is rewritten as a quoted item.
        const qsizetype space = text.indexOf(kSpace);
        const QString first = space < 0 ? text : text.left(space);
        const QString rest = space < 0 ? QString() : text.mid(space + 1);
        text = kQuote + first + kQuote + kSpace + rest;
    }
    qsizetype pos = 0;
    while (pos < text.size()) {
        if (text[pos] != kQuote) {
            ++pos;
            continue;
        }
        const qsizetype close = text.indexOf(kQuote, pos + 1);
        if (close < 0) break;  // an unclosed quote: its text is dropped
        items.append(text.mid(pos + 1, close - pos - 1));
        pos = close + 2;  // exactly one separator after the closing quote
        if (pos < text.size() && text[pos] != kQuote) {
            qsizetype next = text.indexOf(kQuote, pos);
            if (next < 0) next = text.size();
            AppendWords(QStringView(text).mid(pos, next - pos), items);
            pos = next;
        }
    }
    return items;
}
