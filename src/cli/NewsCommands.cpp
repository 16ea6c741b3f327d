// news parse / build / roundtrip.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

int RunNewsCommand(const Args&) {
    throw CliError("news commands are not available yet");
}
