// The utility exactly as its main() runs it, with the first-frame probe linked in.
#include "ui/application.h"

int main(int argc, char** argv) {
    return pds::ui::run_application(argc, argv, "/proc");
}
