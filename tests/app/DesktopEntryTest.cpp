// The installed desktop entry against the import: file managers offer the program under
// "Open with" only for the types its MimeType line lists, and hand the chosen files over as its
// Exec line says.
#include <algorithm>

#include <gtest/gtest.h>
#include <QFile>
#include <QMimeDatabase>
#include <QSet>
#include <QStringList>

#include "app/ImportDispatch.h"

namespace {

// The value of key in the [Desktop Entry] group (no localised variants).
QString EntryValue(const QString& key) {
    QFile file(QStringLiteral(VC_DESKTOP_ENTRY));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
    const QString prefix = key + QLatin1Char('=');
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
        } else if (inEntry && line.startsWith(prefix)) {
            return line.mid(prefix.size());
        }
    }
    return QString();
}

QSet<QString> OfferedTypes() {
    const QStringList types =
        EntryValue(QStringLiteral("MimeType")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return QSet<QString>(types.begin(), types.end());
}

}  // namespace

// Every file name the import takes, as the desktop types it by its name, is offered: a type
// added to the import and not to the entry would never be opened from a file manager. A file
// of a subtype is offered by its parent type too, as file managers match them.
TEST(DesktopEntryTest, OffersEveryFileTypeTheImportTakes) {
    const QSet<QString> offered = OfferedTypes();
    ASSERT_FALSE(offered.isEmpty()) << "no MimeType line in " << VC_DESKTOP_ENTRY;
    const QMimeDatabase database;
    for (const QMimeType& type : database.allMimeTypes()) {
        for (const QString& suffix : type.suffixes()) {
            const QString name = QStringLiteral("photo.") + suffix;
            if (KindOfPath(name) == PathKind::Other) continue;
            const QMimeType typed = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
            QStringList accepted = typed.allAncestors();
            accepted.prepend(typed.name());
            const bool listed = std::any_of(accepted.begin(), accepted.end(),
                                            [&](const QString& t) { return offered.contains(t); });
            EXPECT_TRUE(listed) << "." << suffix.toStdString() << " (" << typed.name().toStdString()
                                << ") is imported but not in the entry's MimeType";
        }
    }
    // A folder dropped or named on the command line is imported with its images.
    EXPECT_TRUE(offered.contains(QStringLiteral("inode/directory")));
    // Any number of local paths (%F): with %f a file manager would start one program per file,
    // and the second would only say that one already runs; %U would hand over URLs, which the
    // import does not read.
    EXPECT_EQ(EntryValue(QStringLiteral("Exec")), QStringLiteral("vimbrelcastor %F"));
}
