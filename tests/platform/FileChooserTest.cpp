#include "platform/FileChooser.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {
// Runs answer on the file dialog once it is open (it may take a while on a loaded machine).
void whenDialogOpens(const std::function<void(QFileDialog*)>& answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            dialog && dialog->isVisible()) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start(20);
}
} // namespace

TEST(QtFileChooser, ReturnsTheChosenFileAndStartsThereNextTime) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/no-dot-name");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QtFileChooser chooser;
    QString offered;
    whenDialogOpens([&](QFileDialog* dialog) {
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(chooser.choose(nullptr), std::optional<std::string>(path.toStdString()));

    whenDialogOpens([&](QFileDialog* dialog) {
        offered = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_EQ(chooser.choose(nullptr), std::nullopt);
    EXPECT_EQ(offered, dir.path());
}
