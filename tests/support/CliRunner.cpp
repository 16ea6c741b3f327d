#include "support/CliRunner.h"

#include <QProcess>

CliRun RunCli(const QStringList& args, int timeoutMs) {
    QProcess p;
    p.start(QStringLiteral(PW_CLI_PATH), args);
    CliRun run;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        run.err = "<timed out>";
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    return run;
}
