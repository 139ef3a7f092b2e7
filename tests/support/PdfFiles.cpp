#include "tests/support/PdfFiles.h"

#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <array>

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

namespace {

QByteArray Rc4(const QByteArray& key, const QByteArray& data) {
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 0xFF;
        std::swap(s[i], s[j]);
    }
    QByteArray out(data.size(), '\0');
    for (int n = 0, i = 0, j = 0; n < data.size(); ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        out[n] = char(static_cast<unsigned char>(data[n]) ^ s[(s[i] + s[j]) & 0xFF]);
    }
    return out;
}

QByteArray Md5(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

// The password padded (or cut) to 32 bytes with the handler's fixed padding.
QByteArray Padded(const QByteArray& password) {
    static const unsigned char kPadding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41,
                                               0x64, 0x00, 0x4E, 0x56, 0xFF, 0xFA, 0x01, 0x08,
                                               0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68, 0x3E, 0x80,
                                               0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};
    return (password + QByteArray(reinterpret_cast<const char*>(kPadding), 32)).left(32);
}

}  // namespace

void WriteProtectedPdf(const QString& path, const QByteArray& userPassword) {
    const QByteArray id = Md5("a protected test file");
    const QByteArray permissions("\xFC\xFF\xFF\xFF", 4);  // P -4, low byte first
    const QByteArray owner = Rc4(Md5(Padded("owner")).left(5), Padded(userPassword));
    const QByteArray key = Md5(Padded(userPassword) + owner + permissions + id).left(5);
    const QByteArray user = Rc4(key, Padded(QByteArray()));

    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 720 540] >>",
        "<< /Filter /Standard /V 1 /R 2 /O <" + owner.toHex() + "> /U <" + user.toHex() +
            "> /P -4 >>",
    };
    QByteArray file = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(file.size());
        file += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = file.size();
    file += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets) {
        file += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    }
    file += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
            " /Root 1 0 R /Encrypt 4 0 R /ID [<" + id.toHex() + "> <" + id.toHex() +
            ">] >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(file), file.size());
}

}  // namespace testpdf
