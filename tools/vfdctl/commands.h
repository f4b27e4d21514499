// vfdctl's commands: the arguments in, lines out, and the exit status back.
#pragma once

#include <QStringList>

#include <ostream>

namespace pds::cli {

// `arguments` starts with the program's name, as QCoreApplication::arguments() gives it.
int run(const QStringList& arguments, std::ostream& out, std::ostream& err);

} // namespace pds::cli
