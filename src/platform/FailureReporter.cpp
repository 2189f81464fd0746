#include "platform/FailureReporter.h"

#include "base/Failure.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <exception>

namespace velmoa {
namespace {
FailureReporter* currentReporter = nullptr;

void reportNow(const QString& message) {
    if (currentReporter) {
        currentReporter->report(message);
    }
}
} // namespace

void installFailureReporter(FailureReporter* reporter) {
    currentReporter = reporter;
}

FailureReporter* installedFailureReporter() {
    return currentReporter;
}

void postFailure(const std::string& message) {
    const QString text = QString::fromStdString(message);
    if (auto* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(
            app, [text] { reportNow(text); }, Qt::QueuedConnection);
    } else {
        reportNow(text);
    }
}

void runReported(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::bad_alloc&) {
        reportNow(QStringLiteral("メモリが不足しています"));
    } catch (const std::exception& e) {
        reportNow(QString::fromStdString(e.what()));
    }
}

} // namespace velmoa
