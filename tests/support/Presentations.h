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

// Converts a presentation into format ("ppt", "pptx", "odp") in folder; returns the new
// file's path, or an empty text on failure.
QString Convert(const QString& presentation, const QString& format, const QString& folder);

}  // namespace testpresentations
