// What the task bar and the dock read from the window: its icon and the class that ties it to
// the desktop entry.
#include "FormHarness.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

QString windowProperty(const QWidget& window, const char* property) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window.winId()), QLatin1String(property)});
    xprop.waitForFinished(10000);
    return QString::fromUtf8(xprop.readAllStandardOutput());
}

QString desktopEntryKey(const char* key) {
    QFile file(QStringLiteral(VELMOA_PACKAGING_DIR "/velmoa.desktop"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QRegularExpression line(QStringLiteral("^%1=(.*)$").arg(QLatin1String(key)),
                                  QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(file.readAll())).captured(1);
}

} // namespace

using DesktopIdentity = FormTest;

TEST_F(DesktopIdentity, WindowCarriesTheIconAndTheDesktopEntrysClass) {
    showForm();
    const QString icon = windowProperty(*form, "_NET_WM_ICON");
    EXPECT_TRUE(icon.contains(QStringLiteral("Icon (32 x 32)"))) << icon.left(200).toStdString();
    // WM_CLASS is "instance", "class"; docks match the class with the entry's StartupWMClass.
    const QString wmClass = windowProperty(*form, "WM_CLASS");
    const QString startupClass = desktopEntryKey("StartupWMClass");
    ASSERT_FALSE(startupClass.isEmpty());
    EXPECT_TRUE(wmClass.trimmed().endsWith(QStringLiteral(", \"%1\"").arg(startupClass)))
        << wmClass.toStdString();
}
