// The program as started from a shell: every argument names a file to open.
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Starts the program with the arguments in an empty folder and returns the lines it writes to
// standard error until it reports the failure, ends, or a few seconds have passed.
QStringList errorLines(const QStringList& arguments, const QString& failure) {
    QTemporaryDir empty;
    QProcess program;
    program.setWorkingDirectory(empty.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), empty.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VELMOA_PROGRAM), arguments);
    QString errors;
    (void)QTest::qWaitFor(
        [&] {
            program.waitForReadyRead(50);
            errors += QString::fromUtf8(program.readAllStandardError());
            return errors.split(QLatin1Char('\n')).contains(failure) ||
                   program.state() == QProcess::NotRunning;
        },
        5000);
    program.kill();
    program.waitForFinished();
    return errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST(CommandLine, EveryArgumentIsOpenedAsAFileEvenWhenItLooksLikeAToolkitOption) {
    const QStringList rows[] = {
        {QStringLiteral("-reverse")},
        {QStringLiteral("-style"), QStringLiteral("fusion")},
        {QStringLiteral("-platform"), QStringLiteral("none")},
        {QStringLiteral("-qwindowtitle"), QStringLiteral("x")},
    };
    for (const QStringList& arguments : rows) {
        // The first argument names no file in the empty folder: opening it fails, and the
        // failure says so.
        const QString failure = QStringLiteral("File not found");
        const QStringList lines = errorLines(arguments, failure);
        EXPECT_TRUE(lines.contains(failure))
            << arguments.join(' ').toStdString() << ": " << lines.join(QStringLiteral(" | ")).toStdString();
    }
}
