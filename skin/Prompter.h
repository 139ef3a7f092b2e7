#pragma once

#include <QString>

// Every message and question of the program goes through a Prompter. The window answers
// with its skinned boxes, the batch run from a command-line policy (or a terminal), tests
// from a script. Core code never opens a window itself; it names the text by its id and
// the Prompter decides how the user is told. Called on the GUI thread (or the batch run's
// only thread).
namespace overwrite {

// Answers of the numbered-conflict question; the numbers are part of the behaviour.
enum Answer : int {
    Cancel = 0,
    No = 1,
    Overwrite = 2,
    OverwriteAll = 3,
    SaveNext = 4,
};

}  // namespace overwrite

class Prompter {
public:
    virtual ~Prompter() = default;

    // An information box with the text of id, "%1" replaced by argument.
    virtual void Info(int id, const QString& argument = QString()) = 0;
    // An OK / Cancel question; true for OK.
    virtual bool Confirm(int id, const QString& argument = QString()) = 0;
    // The numbered-conflict question with a ready-made text; "Overwrite all" is offered only
    // when saveAllMode is set. Returns one of overwrite::Answer.
    virtual int Overwrite(const QString& text, bool saveAllMode) = 0;
    // A plain message that is not in the string table.
    virtual void Plain(const QString& text) = 0;
    // An OK / Cancel question that is not in the string table; true for OK. Where nobody can
    // be asked the answer is Cancel.
    virtual bool ConfirmPlain(const QString& text) {
        Plain(text);
        return false;
    }
    // True when Overwrite always gives the same answer (a policy, not a person): a question
    // that this answer cannot settle is not asked again.
    virtual bool AnswersFixed() const { return false; }
};
