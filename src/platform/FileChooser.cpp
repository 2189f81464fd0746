#include "platform/FileChooser.h"

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSettings>

namespace velmoa {

QtFileChooser::QtFileChooser() {
    // Nothing is written: Qt's file dialog saves its history to QtProject.conf when destroyed,
    // so settings are sent where they cannot be written.
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/proc/velmoa-keeps-no-settings"));
        QSettings::setPath(format, QSettings::SystemScope, QStringLiteral("/proc/velmoa-keeps-no-settings"));
    }
}

std::optional<std::string> QtFileChooser::choose(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Our own dialog, so that the one filter behaves the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The filter reads "*.*", but on POSIX a name needs no dot: its list matches every name.
    dialog.setNameFilter(QStringLiteral("全てのファイル(*.*)"));
    if (auto* files = dialog.findChild<QFileSystemModel*>()) {
        files->setNameFilters({QStringLiteral("*")});
    }
    if (!lastChosen_.empty()) {
        dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(lastChosen_)));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    lastChosen_ = QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
    return lastChosen_;
}

} // namespace velmoa
