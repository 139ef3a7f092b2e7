#pragma once

#include <QString>
#include <QStringList>

// Splits one command-line text into path items: quoted items keep their blanks, unquoted
// words are separated by single blanks (two blanks give an empty item), an unquoted first
// word before a quoted item is treated as quoted, and an unclosed quote drops its text.
// A pure function; any thread.
QStringList SplitArgumentList(const QString& text);
