#include "app/MessageBoxReporter.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace velmoa {

QString countedMessageText(const QString& first, const QString& latest, int further) {
    QString text = first;
    text += QStringLiteral("\n\n(このほかに %1 件のエラー").arg(further);
    if (latest != first) {
        text += QStringLiteral("。最新: ") + latest;
    }
    text += QStringLiteral(")");
    return text;
}

void MessageBoxReporter::report(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    std::fflush(stderr);
    if (openBox_) {
        ++repeats_;
        openBox_->setText(countedMessageText(firstMessage_, message, repeats_));
        return;
    }
    firstMessage_ = message;
    repeats_ = 0;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Velmoa"), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    openBox_ = &box;
    box.exec();
    openBox_ = nullptr;
}

} // namespace velmoa
