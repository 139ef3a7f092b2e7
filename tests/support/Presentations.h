#pragma once

#include <QColor>
#include <QList>
#include <QString>

// Presentations made at test time: a flat ODP written here, converted by LibreOffice into the
// format a test needs.
namespace testpresentations {

// soffice, or an empty text when LibreOffice is not installed.
QString Soffice();

// A flat ODP whose slides are width x height centimetres, each filled with one colour.
void WriteFlatPresentation(const QString& path, double widthCm, double heightCm,
                           const QList<QColor>& slides);

// A text box on a white slide: its place and width in centimetres (its height grows with the
// text, no padding), the font it names, its size in points and its text, black.
struct TextBox {
    double x, y, width;
    QString font;
    double points;
    QString text;
};
// A flat ODP of one white slide of width x height centimetres holding the text box.
void WriteTextPresentation(const QString& path, double widthCm, double heightCm,
                           const TextBox& box);

// Converts a presentation into format ("ppt", "pptx", "odp") in folder; returns the new
// file's path, or an empty text on failure.
QString Convert(const QString& presentation, const QString& format, const QString& folder);

}  // namespace testpresentations
