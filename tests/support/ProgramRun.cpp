#include "tests/support/ProgramRun.h"

void StartProgram(QProcess& process, const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment) {
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    process.closeWriteChannel();
}

ProgramRun FinishProgram(QProcess& process, int milliseconds) {
    const bool finished =
        process.state() == QProcess::NotRunning || process.waitForFinished(milliseconds);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    return {finished, process.exitCode(),
            QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment, int milliseconds) {
    QProcess process;
    StartProgram(process, program, arguments, environment);
    return FinishProgram(process, milliseconds);
}
