#include "tests/support/Presentations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace testpresentations {

QString Soffice() {
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

void WriteFlatPresentation(const QString& path, double widthCm, double heightCm,
                           const QList<QColor>& slides) {
    QString pages;
    QString fills;
    for (int i = 0; i < slides.size(); ++i) {
        pages += QStringLiteral(
                     "<draw:page draw:name=\"p%1\" draw:master-page-name=\"Default\" "
                     "draw:style-name=\"dp1\"><draw:rect draw:style-name=\"fill%1\" svg:x=\"0cm\" "
                     "svg:y=\"0cm\" svg:width=\"%2cm\" svg:height=\"%3cm\"/></draw:page>\n")
                     .arg(i)
                     .arg(widthCm)
                     .arg(heightCm);
        fills += QStringLiteral(
                     "<style:style style:name=\"fill%1\" style:family=\"graphic\">"
                     "<style:graphic-properties draw:fill=\"solid\" draw:fill-color=\"%2\" "
                     "draw:stroke=\"none\"/></style:style>\n")
                     .arg(i)
                     .arg(slides[i].name());
    }
    const QString size =
        QStringLiteral("fo:page-width=\"%1cm\" fo:page-height=\"%2cm\"").arg(widthCm).arg(heightCm);
    const QString document =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
            "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
            "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
            "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
            "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\" "
            "office:version=\"1.2\" "
            "office:mimetype=\"application/vnd.oasis.opendocument.presentation\">\n"
            "<office:styles/>\n<office:automatic-styles>\n"
            "<style:page-layout style:name=\"PMslide\"><style:page-layout-properties "
            "fo:margin-top=\"0cm\" fo:margin-bottom=\"0cm\" fo:margin-left=\"0cm\" "
            "fo:margin-right=\"0cm\" %1/></style:page-layout>\n"
            "<style:style style:name=\"dp1\" style:family=\"drawing-page\">"
            "<style:drawing-page-properties draw:fill=\"solid\" draw:fill-color=\"#ffffff\"/>"
            "</style:style>\n%2</office:automatic-styles>\n"
            "<office:master-styles><style:master-page style:name=\"Default\" "
            "style:page-layout-name=\"PMslide\" draw:style-name=\"dp1\"/></office:master-styles>\n"
            "<office:body><office:presentation>\n%3</office:presentation></office:body>\n"
            "</office:document>\n")
            .arg(size, fills, pages);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(document.toUtf8());
}

QString Convert(const QString& presentation, const QString& format, const QString& folder) {
    QDir().mkpath(folder);
    const QString profile = QDir(folder).filePath(QStringLiteral(".profile"));
    QProcess process;
    process.start(Soffice(), {QStringLiteral("-env:UserInstallation=") +
                                  QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded),
                              QStringLiteral("--headless"), QStringLiteral("--convert-to"), format,
                              QStringLiteral("--outdir"), folder, presentation});
    if (!process.waitForFinished(180000)) return QString();
    const QString converted =
        QDir(folder).filePath(QFileInfo(presentation).completeBaseName() + "." + format);
    return QFile::exists(converted) ? converted : QString();
}

}  // namespace testpresentations
