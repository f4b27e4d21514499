#pragma once

#include <string>

namespace pds {

// The desktop shell: opens a document with its default viewer.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open_document(const std::string& path) = 0;
};

} // namespace pds
