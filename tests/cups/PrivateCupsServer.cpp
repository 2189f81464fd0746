#include "PrivateCupsServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace velmoa::testing {
namespace {

const QStringList systemBinaries{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                 QStringLiteral("/usr/bin")};

bool writeText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

} // namespace

QString runProgram(const QString& program, const QStringList& arguments, bool* ok) {
    QProcess process;
    process.start(program, arguments);
    const bool done = process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit &&
                      process.exitCode() == 0;
    if (ok) {
        *ok = done;
    }
    return done ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

PrivateCupsServer::PrivateCupsServer() {
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no scratch folder");
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("cupsd"), systemBinaries).isEmpty()) {
        error_ = QStringLiteral("cupsd is not installed (Debian package cups-daemon)");
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("lpadmin"), systemBinaries).isEmpty()) {
        error_ = QStringLiteral("lpadmin is not installed (Debian package cups-client)");
        return;
    }
    if (writeConfiguration() && start()) {
        addQueue();
    }
}

PrivateCupsServer::~PrivateCupsServer() {
    if (cupsd_.state() != QProcess::NotRunning) {
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(5000)) {
            cupsd_.kill();
            cupsd_.waitForFinished(2000);
        }
    }
}

bool PrivateCupsServer::writeConfiguration() {
    const QString root = dir_.path();
    // The filter runs as the scheduler's user, who must reach it and the spool.
    QFile::setPermissions(root, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
    QDir dir(root);
    for (const char* sub : {"spool", "tmp", "cache", "run", "log", "bin/filter", "out"}) {
        dir.mkpath(QLatin1String(sub));
    }
    // The queue's file is opened by the scheduler, which may have dropped its privileges.
    QFile::setPermissions(dir.filePath(QStringLiteral("out")), QFileDevice::Permissions(0x7777));
    // The system's helper programs, but only our filter.
    for (const QFileInfo& entry :
         QDir(QStringLiteral("/usr/lib/cups")).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (entry.fileName() != QLatin1String("filter")) {
            QFile::link(entry.filePath(), dir.filePath(QStringLiteral("bin/") + entry.fileName()));
        }
    }
    const QString filter = dir.filePath(QStringLiteral("bin/filter/velmoa-pdf-file"));
    if (!QFile::copy(QString::fromUtf8(VELMOA_CUPS_FILES_DIR "/pdf-file-filter.sh"), filter) ||
        !QFile::setPermissions(filter, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                           QFileDevice::ExeOther)) {
        error_ = QStringLiteral("cannot set up the queue's filter");
        return false;
    }
    const bool written =
        writeText(
            dir.filePath(QStringLiteral("cupsd.conf")),
            QStringLiteral("Listen %1\nLogLevel info\nBrowsing Off\nWebInterface No\n"
                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                .arg(socketPath())) &&
        writeText(dir.filePath(QStringLiteral("cups-files.conf")),
                  QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                                 "StateDir %1/run\nServerBin %1/bin\nDataDir /usr/share/cups\n"
                                 "AccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                                 "PageLog %1/log/page_log\nFileDevice Yes\n")
                      .arg(root));
    if (!written) {
        error_ = QStringLiteral("cannot write the scheduler's configuration");
    }
    return written;
}

bool PrivateCupsServer::start() {
    const QString root = dir_.path();
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.start(QStandardPaths::findExecutable(QStringLiteral("cupsd"), systemBinaries),
                 {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                  QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
    if (!cupsd_.waitForStarted(5000)) {
        error_ = QStringLiteral("cupsd cannot be started: ") + cupsd_.errorString();
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!QFileInfo::exists(socketPath())) {
        if (cupsd_.state() == QProcess::NotRunning || deadline.hasExpired()) {
            error_ = QStringLiteral("cupsd does not run here: ") + QString::fromLocal8Bit(cupsd_.readAll()) +
                     logTail();
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

bool PrivateCupsServer::addQueue() {
    bool ok = false;
    runProgram(QStandardPaths::findExecutable(QStringLiteral("lpadmin"), systemBinaries),
               {QStringLiteral("-h"), socketPath(), QStringLiteral("-p"), QLatin1String(queue),
                QStringLiteral("-E"), QStringLiteral("-v"), QStringLiteral("file://") + outputPath(),
                QStringLiteral("-P"), QString::fromUtf8(VELMOA_CUPS_FILES_DIR "/velmoa-pdf.ppd")},
               &ok);
    if (!ok) {
        error_ = QStringLiteral("lpadmin cannot add the queue: ") + logTail();
    }
    return ok;
}

bool PrivateCupsServer::setAccepting(bool accepting) const {
    bool ok = false;
    runProgram(QStandardPaths::findExecutable(
                   accepting ? QStringLiteral("cupsaccept") : QStringLiteral("cupsreject"), systemBinaries),
               {QStringLiteral("-h"), socketPath(), QLatin1String(queue)}, &ok);
    return ok;
}

bool PrivateCupsServer::waitUntilIdle(int milliseconds) const {
    const QDeadlineTimer deadline(milliseconds);
    const QString lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"), systemBinaries);
    while (!deadline.hasExpired()) {
        bool ok = false;
        const QString pending =
            runProgram(lpstat, {QStringLiteral("-h"), socketPath(), QStringLiteral("-o")}, &ok);
        if (ok && pending.trimmed().isEmpty()) {
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

QString PrivateCupsServer::logTail() const {
    QFile log(dir_.filePath(QStringLiteral("log/error_log")));
    if (!log.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray text = log.readAll();
    return QString::fromLocal8Bit(text.right(1500));
}

} // namespace velmoa::testing
