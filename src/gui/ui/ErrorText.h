#pragma once
// Failures from core shown in the windows: the message, and for file errors the system's
// reason on a line of its own.
#include <QString>

#include <exception>
#include <functional>

QString ErrorText(const std::exception& error);
// Runs `step` and returns the text of the failure it threw, or an empty string.
QString FailureOf(const std::function<void()>& step);
