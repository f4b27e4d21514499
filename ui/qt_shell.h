#pragma once

#include "services/shell.h"

namespace pds {

// Opens a document with the desktop's default viewer. A document that does not exist is
// passed over in silence: the desktop's opener would otherwise put up an error of its own.
class QtShell : public Shell {
public:
    void open_document(const std::string& path) override;
};

} // namespace pds
