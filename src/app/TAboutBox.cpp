#include "app/TAboutBox.h"

#include "app/Colours.h"
#include "app/Fonts.h"
#include "controls/Panel.h"
#include "controls/ToolImages.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace velmoa {
namespace {
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(at);
    return label;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    widget->setPalette(pal);
}
} // namespace

// A fixed dialog frame: caption and close button only, no minimise or maximise button.
TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setModal(false);
    setFixedSize(273, 195);
    setFont(pixelFont(kGothic, 12));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, buttonFaceColour());
    setPalette(pal);

    Panel1 = new Panel(this, QStringLiteral("Panel1"));
    Panel1->setGeometry(7, 7, 258, 148);
    Panel1->setBevel(Panel::Bevel::RaisedInLoweredOut);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(7, 7, 64, 64);
    ProgramIcon->setPixmap(applicationPicture());
    ProgramIcon->setScaledContents(true);

    ProductName = makeLabel(Panel1, QStringLiteral("ProductName"), QStringLiteral("Velmoa"), {89, 15});
    ProductName->setFont(pixelFont(kGothic, 21, true));
    setTextColour(ProductName, clMaroon);
    ProductName->adjustSize();

    Version = makeLabel(Panel1, QStringLiteral("Version"), QStringLiteral("バージョン 1.3"), {89, 45});
    Version->setFont(pixelFont(kGothic, 16, true));
    setTextColour(Version, clGreen);
    Version->adjustSize();

    Copyright = makeLabel(Panel1, QStringLiteral("Copyright"),
                          QStringLiteral("Copyright (C) Velmoa の開発者"), {23, 77});
    Copyright->adjustSize();

    Comments = makeLabel(
        Panel1, QStringLiteral("Comments"),
        QStringLiteral("デジカメ画像や、その他の画像を連続で閲覧する事ができます【スライドショー】"),
        {23, 104});
    Comments->setWordWrap(true);
    Comments->resize(202, 24);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(102, 165, 69, 23);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::showCentred() {
    if (isVisible()) {
        return;
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

void TAboutBox::OKButtonClick() {
    hide();
}

} // namespace velmoa
