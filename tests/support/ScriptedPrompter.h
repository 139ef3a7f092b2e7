#pragma once

#include <QList>
#include <QString>
#include <deque>

#include "skin/Prompter.h"
#include "tests/support/QtPrinters.h"

// A Prompter for tests: records every message and question in order and answers questions
// from queues that the test fills beforehand. A question with an empty queue is answered
// Cancel and counted in unanswered, so a test can tell that it was not expected.
class ScriptedPrompter : public Prompter {
public:
    enum class Kind { Info, Confirm, Overwrite, Plain };

    struct Record {
        Kind kind;
        int id;            // 0 for Overwrite and Plain
        QString argument;  // the %1 of Info and Confirm
        QString text;      // the text of Overwrite and Plain
        bool saveAllMode;  // Overwrite only
    };

    void Info(int id, const QString& argument = QString()) override;
    bool Confirm(int id, const QString& argument = QString()) override;
    int Overwrite(const QString& text, bool saveAllMode) override;
    void Plain(const QString& text) override;
    // Recorded as a Confirm of id 0 with its text; answered from confirmAnswers.
    bool ConfirmPlain(const QString& text) override;

    // The ids of the Info and Confirm records, in order.
    QList<int> Ids() const;

    std::deque<bool> confirmAnswers;
    std::deque<int> overwriteAnswers;
    QList<Record> records;
    int unanswered = 0;
};
