#include "ui/application.h"

int main(int argc, char** argv) {
    return pds::ui::run_application(argc, argv, "/proc");
}
