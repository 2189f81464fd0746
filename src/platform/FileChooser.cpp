#include "platform/FileChooser.h"

#include <QFile>
#include <QFileDialog>

namespace velmoa {

std::optional<std::string> QtFileChooser::choose(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // "*" rather than "*.*": on POSIX a name needs no dot, and every file must match.
    dialog.setNameFilter(QStringLiteral("全てのファイル(*.*) (*)"));
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
