#pragma once
// Runs the command-line tool as a user would, with its exit status and both outputs.
#include <QByteArray>
#include <QStringList>

struct CliRun {
    int exitCode = -1; // -1: crashed or timed out
    QByteArray out;
    QByteArray err;
};

CliRun RunCli(const QStringList& args, int timeoutMs = 60000);
