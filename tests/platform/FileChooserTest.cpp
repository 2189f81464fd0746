#include "platform/FileChooser.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
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
        // The whole path typed into the name box: selectFile() would leave only the name there,
        // to be resolved against a folder the dialog may still be loading on a busy machine.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!name) {
            ADD_FAILURE() << "no file name box";
            dialog->reject();
            return;
        }
        name->setText(path);
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

TEST(QtFileChooser, OneFilterNamedForEveryFileMatchesEveryFile) {
    QTemporaryDir dir;
    const QStringList names = {QStringLiteral("readme"), QStringLiteral("a.txt"), QStringLiteral("b.JPG")};
    for (const QString& name : names) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QtFileChooser chooser;
    QStringList filters;
    QString shownFilter;
    QStringList listed;
    whenDialogOpens([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            shownFilter = combo->currentText();
        }
        dialog->setDirectory(dir.path());
        // The names the dialog lists once it has read the folder.
        auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return list && list->model()->rowCount(list->rootIndex()) >= names.size(); }, 3000));
        for (int row = 0; list && row < list->model()->rowCount(list->rootIndex()); ++row) {
            listed << list->model()->index(row, 0, list->rootIndex()).data().toString();
        }
        dialog->reject();
    });
    EXPECT_EQ(chooser.choose(nullptr), std::nullopt);
    EXPECT_EQ(filters, QStringList{QStringLiteral("全てのファイル(*.*)")});
    EXPECT_EQ(shownFilter, QStringLiteral("全てのファイル(*.*)"));
    listed.sort();
    EXPECT_EQ(listed,
              QStringList({QStringLiteral("a.txt"), QStringLiteral("b.JPG"), QStringLiteral("readme")}));
}
