#include "shown_name.h"

#include "inspect/describe.h"

namespace pds::cli {

std::string shown_name(std::string_view name) {
#ifdef _WIN32
    return escaped_controls(name);
#else
    return escaped_text(name);
#endif
}

} // namespace pds::cli
