#include "tests/support/ScriptedPrompter.h"

namespace {

// The next scripted answer; none, counted in unanswered, once the script has run out.
template <typename T>
T Next(std::deque<T>& answers, T none, int& unanswered) {
    if (answers.empty()) {
        ++unanswered;
        return none;
    }
    const T answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace

void ScriptedPrompter::Info(int id, const QString& argument) {
    records.append({Kind::Info, id, argument, QString(), false});
}

bool ScriptedPrompter::Confirm(int id, const QString& argument) {
    records.append({Kind::Confirm, id, argument, QString(), false});
    return Next(confirmAnswers, false, unanswered);
}

bool ScriptedPrompter::ConfirmPlain(const QString& text) {
    records.append({Kind::Confirm, 0, QString(), text, false});
    return Next(confirmAnswers, false, unanswered);
}

int ScriptedPrompter::Overwrite(const QString& text, bool saveAllMode) {
    records.append({Kind::Overwrite, 0, QString(), text, saveAllMode});
    return Next(overwriteAnswers, int(overwrite::Cancel), unanswered);
}

void ScriptedPrompter::Plain(const QString& text) {
    records.append({Kind::Plain, 0, QString(), text, false});
}

QList<int> ScriptedPrompter::Ids() const {
    QList<int> ids;
    for (const Record& record : records) {
        if (record.kind == Kind::Info || record.kind == Kind::Confirm) ids.append(record.id);
    }
    return ids;
}
