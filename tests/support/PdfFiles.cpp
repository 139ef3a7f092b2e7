#include "tests/support/PdfFiles.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace testpdf {

void WritePdf(const QString& path, const QList<Page>& pages) {
    ASSERT_FALSE(pages.isEmpty());
    QPdfWriter writer(path);
    writer.setResolution(72);  // a device pixel is a point
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setPageSize(QPageSize(pages.first().points, QPageSize::Point));
    QPainter painter(&writer);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0) {
            writer.setPageSize(QPageSize(pages[i].points, QPageSize::Point));
            ASSERT_TRUE(writer.newPage());
        }
        painter.fillRect(QRectF(QPointF(0, 0), pages[i].points), pages[i].colour);
    }
    ASSERT_TRUE(painter.end());
}

}  // namespace testpdf
