#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace velmoa::testing {

// A CUPS scheduler of the test's own: configuration, spool and socket in a scratch folder, and
// one queue, "velmoa-pdf", whose printer takes PDF and writes each job into outputPath().
class PrivateCupsServer {
  public:
    static constexpr const char* queue = "velmoa-pdf";

    PrivateCupsServer();
    ~PrivateCupsServer();
    PrivateCupsServer(const PrivateCupsServer&) = delete;
    PrivateCupsServer& operator=(const PrivateCupsServer&) = delete;

    // Empty when the server runs with its queue; otherwise why it could not.
    const QString& error() const { return error_; }
    // The socket that clients reach it on (the value for CUPS_SERVER).
    QString socketPath() const { return dir_.filePath(QStringLiteral("cups.sock")); }
    QString outputPath() const { return dir_.filePath(QStringLiteral("out/print.pdf")); }
    // Lets the queue take jobs, or makes it refuse them as a stopped printer's queue does.
    bool setAccepting(bool accepting) const;
    // Waits until the queue has no job left; false after the time is up.
    bool waitUntilIdle(int milliseconds = 15000) const;
    // The end of the scheduler's log, to explain a failure.
    QString logTail() const;

  private:
    bool writeConfiguration();
    bool start();
    bool addQueue();

    QTemporaryDir dir_;
    QProcess cupsd_;
    QString error_;
};

// Runs a program to its end; its standard output, or an empty string with ok false on failure.
QString runProgram(const QString& program, const QStringList& arguments, bool* ok = nullptr);

} // namespace velmoa::testing
