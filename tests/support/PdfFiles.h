#pragma once

#include <QColor>
#include <QList>
#include <QSizeF>
#include <QString>

// PDF files made at test time: pages of one colour each, written by Qt's PDF writer, and a
// page protected by a password, written byte by byte.
namespace testpdf {

struct Page {
    QSizeF points;  // the page's size in points
    QColor colour;  // the whole page
};

void WritePdf(const QString& path, const QList<Page>& pages);

// A one-page PDF (720 x 540 points) that opens only with userPassword: the standard security
// handler, revision 2 (40-bit RC4).
void WriteProtectedPdf(const QString& path, const QByteArray& userPassword);

}  // namespace testpdf
