// Writes the seed files of every fuzz target into <dir>/<target>/: the test corpus, sound and
// damaged files of every format, each file to the reader of its format (PNG: the interlaced
// ones alone) and every file to the sniffer.
//
//   fuzz_seeds <dir>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

#include "imaging/ImagingSetup.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestImages.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
        return 2;
    }
    if (!StartImaging(argv[0])) return 1;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir temp;
    for (const corpus::File& file : corpus::Write(temp.path())) {
        const QByteArray bytes = testimages::ReadBytes(file.path);
        // A file with a large colour profile (the CMYK ones) would only slow every run down.
        if (bytes.size() > 64 * 1024) continue;
        const QString format = file.name.section(QRegularExpression("[-.]"), 0, 0);
        QStringList folders{QStringLiteral("sniff")};
        if (QStringList{"bmp", "gif", "jpeg", "png"}.contains(format) &&
            (format != "png" || file.name.contains("-interlaced"))) {
            folders << format;
        }
        for (const QString& folder : folders) {
            out.mkpath(folder);
            testimages::WriteBytes(out.filePath(folder + '/' + file.name), bytes);
        }
    }
    for (const char* target : {"sniff", "bmp", "gif", "png", "jpeg"}) {
        std::printf("%s: %lld seeds\n", target,
                    qlonglong(QDir(out.filePath(target)).entryList(QDir::Files).size()));
    }
    return 0;
}
