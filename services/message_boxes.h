#pragma once

#include <string>

namespace pds {

// Modal message boxes without icon. An empty title means the application's title.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const std::string& text, const std::string& title = {}) = 0;
    // OK and Cancel; true for OK.
    virtual bool confirm(const std::string& text, const std::string& title) = 0;
};

} // namespace pds
