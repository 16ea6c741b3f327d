// ftp ls / get / put / mkdir / rmdir / rm / pwd / rename.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

int RunFtpCommand(const Args&) {
    throw CliError("ftp commands are not available yet");
}
