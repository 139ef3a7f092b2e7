#pragma once

#include <QColor>
#include <QList>
#include <QSizeF>
#include <QString>

// PDF files made at test time: pages of one colour each, written by Qt's PDF writer.
namespace testpdf {

struct Page {
    QSizeF points;  // the page's size in points
    QColor colour;  // the whole page
};

void WritePdf(const QString& path, const QList<Page>& pages);

}  // namespace testpdf
