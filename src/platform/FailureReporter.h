#pragma once

#include <QString>
#include <functional>
#include <string>

namespace velmoa {

// Where failures end up: the application shows them in a message box, tests record them.
class FailureReporter {
  public:
    virtual ~FailureReporter() = default;
    virtual void report(const QString& message) = 0;
};

// The reporter that postFailure() and runReported() use. Not owned.
void installFailureReporter(FailureReporter* reporter);
FailureReporter* installedFailureReporter();

// Reports a failure found where nothing may throw (paint events): queued to the event loop.
void postFailure(const std::string& message);

// Runs one entry point called by Qt; a failure (or any other exception) goes to the reporter
// instead of through the event loop.
void runReported(const std::function<void()>& handler);

} // namespace velmoa
