#include "app/BatchDestination.h"

#include <QDir>
#include <QFileInfo>

#include "app/CommandLine.h"
#include "app/TerminalPrompter.h"
#include "card/ConvertRun.h"
#include "card/DcfNumbering.h"
#include "card/Destination.h"
#include "skin/UiTexts.h"

int ChooseBatchDestination(const BatchOptions& batch, ConvertSettings& convert, Prompter& prompter,
                           std::FILE* err) {
    if (batch.cardRoot.isEmpty()) {
        convert.cardFlag = false;
        convert.destination = QDir::cleanPath(batch.destination);
        return 0;
    }
    if (!QFileInfo(batch.cardRoot).isDir()) {
        TerminalPrompter::Print(
            err, QStringLiteral("vimbrelcastor: %1 is not a folder\n").arg(batch.cardRoot));
        return 2;
    }
    const int number =
        batch.folderNumber != 0 ? batch.folderNumber : FirstFreeFolderNumber(batch.cardRoot);
    const QString existing = ExistingFolderOfNumber(batch.cardRoot, number);
    convert.cardFlag = true;
    convert.destination = existing.isEmpty() ? CardFolder(batch.cardRoot, number) : existing;
    const QString link = LinkOnCardPath(batch.cardRoot, convert.destination);
    if (!link.isEmpty()) {
        prompter.Plain(UiTexts::Text("card.folder_is_link").arg(link));
        return 1;
    }
    return 0;
}
