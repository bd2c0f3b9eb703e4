#include <clocale>
#include <csignal>

#include "preprocessor/driver.h"

int main(int argc, char** argv) {
    std::setlocale(LC_CTYPE, "");  // the console codeset only
    // A full disk or a closed console is a failed write, not the end.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    return qt::pre::runQPre(argc, argv);
}
