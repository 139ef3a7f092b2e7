#include "app/TerminalPrompter.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <QStringList>
#include <QTextStream>
#include <algorithm>

#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"

namespace {

constexpr int kDefaultColumns = 80;

}  // namespace

void TerminalPrompter::Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString TerminalPrompter::OneLine(const QString& text) {
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (QString& line : lines) line = line.trimmed();
    // Japanese sentences follow each other without a space.
    const bool japanese = Messages::CurrentLanguage() == Messages::Language::Japanese;
    return lines.join(japanese ? QString() : QStringLiteral(" "));
}

void TerminalPrompter::Info(int id, const QString& argument) {
    ClearProgress();
    Print(err_, QStringLiteral("vimbrelcastor: %1\n").arg(OneLine(Messages::Format(id, argument))));
}

bool TerminalPrompter::Confirm(int id, const QString& argument) {
    ClearProgress();
    Print(err_,
          QStringLiteral("vimbrelcastor: %1 [y/N] ").arg(OneLine(Messages::Format(id, argument))));
    const bool yes = ::isatty(STDIN_FILENO) && ReadLine().toLower().startsWith(u'y');
    if (!::isatty(STDIN_FILENO)) Print(err_, QStringLiteral("n\n"));
    return yes;
}

int TerminalPrompter::Overwrite(const QString& text, bool saveAllMode) {
    ClearProgress();
    if (answer_) {
        Print(err_,
              QStringLiteral("vimbrelcastor: %1 -> %2\n").arg(OneLine(text), AnswerName(*answer_)));
        return *answer_;
    }
    Print(err_, QStringLiteral("vimbrelcastor: %1\n").arg(OneLine(text)));
    if (!::isatty(STDIN_FILENO)) return overwrite::Cancel;
    for (;;) {
        Print(err_, saveAllMode ? QStringLiteral("  [o]verwrite, overwrite [a]ll, save ne[x]t, "
                                                 "[n]o (skip), [c]ancel? ")
                                : QStringLiteral("  [o]verwrite, save ne[x]t, [n]o, [c]ancel? "));
        const QString line = ReadLine().trimmed().toLower();
        if (line.isNull() || line == u"c") return overwrite::Cancel;
        if (line == u"n") return overwrite::No;
        if (line == u"o") return overwrite::Overwrite;
        if (line == u"a" && saveAllMode) return overwrite::OverwriteAll;
        if (line == u"x") return overwrite::SaveNext;
    }
}

void TerminalPrompter::Plain(const QString& text) {
    ClearProgress();
    Print(err_, QStringLiteral("vimbrelcastor: %1\n").arg(OneLine(text)));
}

bool TerminalPrompter::ShowsProgress() const {
    return ::isatty(::fileno(err_));
}

void TerminalPrompter::Progress(int done, int total, const QString& file) {
    const int fd = ::fileno(err_);
    if (!::isatty(fd)) return;
    winsize window = {};
    const int columns = ::ioctl(fd, TIOCGWINSZ, &window) == 0 && window.ws_col > 0
                            ? window.ws_col
                            : kDefaultColumns;
    QString line = QStringLiteral("  %1 / %2  %3").arg(done).arg(total).arg(file);
    if (line.size() >= columns) line = line.left(std::max(0, columns - 2)) + u'~';
    Print(err_, QStringLiteral("\r\033[K") + line);
    progressShown_ = true;
}

void TerminalPrompter::ClearProgress() {
    if (!progressShown_) return;
    Print(err_, QStringLiteral("\r\033[K"));
    progressShown_ = false;
}

QString TerminalPrompter::AnswerName(int answer) {
    switch (answer) {
        case overwrite::Overwrite:
            return UiTexts::Text("button.overwrite");
        case overwrite::OverwriteAll:
            return UiTexts::Text("button.overwrite_all");
        case overwrite::SaveNext:
            return UiTexts::Text("button.save_next");
        case overwrite::No:
            return UiTexts::Text("button.no");
        default:
            return UiTexts::Text("button.break");
    }
}

QString TerminalPrompter::ReadLine() {
    QTextStream in(stdin);
    return in.readLine();
}
