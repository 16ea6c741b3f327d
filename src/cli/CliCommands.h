#pragma once
// The command groups of pagewright-cli. Each takes the arguments after its group name and
// returns the exit status; failures print one line to stderr.
#include <string>
#include <vector>

using Args = std::vector<std::string>;

int RunTableCommand(const Args& args);
int RunCfgCommand(const Args& args);
int RunNewsCommand(const Args& args);
// news fetch / add / post: `command` is one of the three, `args` what follows it.
int RunNewsFlowCommand(const std::string& command, const Args& args);
int RunFtpCommand(const Args& args);
// ftp put-many / get-many (the arguments after "ftp"); usage errors give status 2.
bool IsTransferCommand(const Args& args);
int RunTransferCommand(const Args& args);
int RunLocalCommand(const Args& args);

namespace pw {
struct RemoteRow;
}
// Prints pane rows as the JSON list of `local ls` (caption, image, size, type, modified).
void PrintPaneRows(const std::vector<pw::RemoteRow>& rows);
