#pragma once

#include <string>

namespace pds {

struct FileFilter {
    std::string description; // shown to the operator, e.g. "VFD Files(*.vfd) "
    std::string pattern;     // e.g. "*.vfd"
};

// What the operator chose; both empty when the dialog was cancelled.
struct ChosenFile {
    std::string full_path;
    std::string bare_name;
};

class FileDialog {
public:
    virtual ~FileDialog() = default;
    virtual ChosenFile choose_save(const FileFilter& filter) = 0;
    virtual ChosenFile choose_open(const FileFilter& filter) = 0;
};

} // namespace pds
