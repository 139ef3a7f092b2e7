#pragma once

#include "skin/Prompter.h"

// The window's Prompter: every message and question in the program's own skinned boxes, in
// the language of the texts, after bringing the main window forward. Owned by the main window
// (or whoever runs core code on its behalf); GUI thread.
class BoxPrompter : public Prompter {
public:
    void Info(int id, const QString& argument = QString()) override;
    bool Confirm(int id, const QString& argument = QString()) override;
    int Overwrite(const QString& text, bool saveAllMode) override;
    void Plain(const QString& text) override;
    bool ConfirmPlain(const QString& text) override;
};
