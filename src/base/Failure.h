#pragma once

#include <stdexcept>
#include <string>

namespace velmoa {

// A failure of an operation, carrying the message (UTF-8) shown to the user. Handlers never catch it;
// the wrapper at each entry point from Qt hands it to the application's reporter.
class Failure : public std::runtime_error {
  public:
    explicit Failure(const std::string& message) : std::runtime_error(message) {}
};

} // namespace velmoa
