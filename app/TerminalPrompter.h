#pragma once

#include <QString>
#include <cstdio>
#include <optional>

#include "skin/Prompter.h"

// The batch run's prompter: every message a line on standard error that starts with the
// program's name, and the numbered-conflict question answered by the command line's policy or
// asked on the terminal. On a terminal it also keeps one progress line, which the next message
// overwrites. Main thread.
class TerminalPrompter : public Prompter {
public:
    // answer: the policy's answer to every conflict question; none: ask on the terminal.
    TerminalPrompter(std::FILE* err, std::optional<int> answer) : err_(err), answer_(answer) {}

    void Info(int id, const QString& argument = QString()) override;
    bool Confirm(int id, const QString& argument = QString()) override;
    int Overwrite(const QString& text, bool saveAllMode) override;
    void Plain(const QString& text) override;
    // The policy's answer is the same for every question.
    bool AnswersFixed() const override { return answer_.has_value(); }

    // True when the run shows a progress line (standard error is a terminal).
    bool ShowsProgress() const;
    // One progress line that the next message or path overwrites: the count, the total and
    // the file, cut to the terminal's width so that it stays one line (terminals only).
    void Progress(int done, int total, const QString& file);
    void ClearProgress();

    // Writes text at once.
    static void Print(std::FILE* stream, const QString& text);
    // A message of several lines as one line, so that every line of standard error starts with
    // the program's name.
    static QString OneLine(const QString& text);

private:
    // The caption of the window's button for the answer.
    static QString AnswerName(int answer);
    static QString ReadLine();

    std::FILE* err_;
    std::optional<int> answer_;
    bool progressShown_ = false;
};
