#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace velmoa {

class Panel;

// The About box: product, version and purpose. Modeless; closing only hides it.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Shows the box centred on the screen; nothing changes when it is already shown.
    void showCentred();
    void OKButtonClick();

    Panel* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;
};

} // namespace velmoa
