#pragma once

#include <QProcess>
#include <QString>
#include <string>

namespace velmoa::testing {

// Runs xdotool with the arguments to its end (at most a few seconds); returns what it printed.
QString xdotool(const QStringList& arguments);

// The real program started as a user starts it from a shell: in a working folder, with one file
// named as typed (the name's bytes as they are, UTF-8 or not). Its standard error is kept.
class RunningProgram {
  public:
    RunningProgram(const QString& program, const QString& folder, const std::string& nameBytes);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool running() const { return process_.state() != QProcess::NotRunning; }
    // The failures the program reported so far: each is a line on standard error. Lines that
    // libraries write there themselves (PipeWire's log, without its configuration) are left out.
    QStringList failures();
    // Closes the program's windows as a user does with their close buttons and waits for the
    // program to end. Returns false, after killing it, when it did not end by itself.
    bool close();

  private:
    QProcess process_;
    QString errors_;
};

} // namespace velmoa::testing
