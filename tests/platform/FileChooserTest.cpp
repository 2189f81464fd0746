#include "platform/FileChooser.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace velmoa;


TEST(QtFileChooser, ReturnsTheChosenFileAndStartsThereNextTime) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/no-dot-name");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QtFileChooser chooser;
    QString offered;
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(chooser.choose(nullptr), std::optional<std::string>(path.toStdString()));

    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        offered = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_EQ(chooser.choose(nullptr), std::nullopt);
    EXPECT_EQ(offered, dir.path());
}
