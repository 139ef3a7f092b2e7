#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The program run as a user runs it, in a process of its own with nothing on its standard
// input: how it ended and what it printed. Shared by the tests that start the program.
struct ProgramRun {
    bool finished;  // within the time given; a run that was not is killed
    int exitCode;
    QStringList out;  // the lines of its standard output
    QString err;
};

void StartProgram(
    QProcess& process, const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
ProgramRun FinishProgram(QProcess& process, int milliseconds = 120000);
ProgramRun RunProgram(
    const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
    int milliseconds = 120000);
