// The file store of the system a program is built for: every program here keeps its files
// through this one.
#pragma once

#ifdef _WIN32
#include "adapters/win32/win32_file_store.h"
#else
#include "file/disk_file_store.h"
#endif

namespace pds {

#ifdef _WIN32
using SystemFileStore = Win32FileStore;
#else
using SystemFileStore = DiskFileStore;
#endif

} // namespace pds
