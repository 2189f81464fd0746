#pragma once

#include <optional>
#include <string>

class QWidget;

namespace velmoa {

// The Open dialog: the chosen path, or nothing when the user cancels.
class FileChooser {
  public:
    virtual ~FileChooser() = default;
    virtual std::optional<std::string> choose(QWidget* parent) = 0;
};

// Qt's file dialog with one filter that matches every file. It starts from the path last
// chosen in it (kept in memory only; nothing is saved).
class QtFileChooser : public FileChooser {
  public:
    QtFileChooser();
    std::optional<std::string> choose(QWidget* parent) override;

  private:
    std::string lastChosen_;
};

} // namespace velmoa
