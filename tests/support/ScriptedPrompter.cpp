#include "tests/support/ScriptedPrompter.h"

void ScriptedPrompter::Info(int id, const QString& argument) {
    records.append({Kind::Info, id, argument, QString(), false});
}

bool ScriptedPrompter::Confirm(int id, const QString& argument) {
    records.append({Kind::Confirm, id, argument, QString(), false});
    return NextConfirmAnswer();
}

bool ScriptedPrompter::ConfirmPlain(const QString& text) {
    records.append({Kind::Confirm, 0, QString(), text, false});
    return NextConfirmAnswer();
}

bool ScriptedPrompter::NextConfirmAnswer() {
    if (confirmAnswers.empty()) {
        ++unanswered;
        return false;
    }
    const bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

int ScriptedPrompter::Overwrite(const QString& text, bool saveAllMode) {
    records.append({Kind::Overwrite, 0, QString(), text, saveAllMode});
    if (overwriteAnswers.empty()) {
        ++unanswered;
        return overwrite::Cancel;
    }
    const int answer = overwriteAnswers.front();
    overwriteAnswers.pop_front();
    return answer;
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
