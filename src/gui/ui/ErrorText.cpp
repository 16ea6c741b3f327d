#include "gui/ui/ErrorText.h"

#include "core/storage/nkErrors.h"

using namespace pw;

QString ErrorText(const std::exception& error) {
    QString text = QString::fromLocal8Bit(error.what());
    if (const auto* file = dynamic_cast<const EFileError*>(&error); file && !file->detail().empty())
        text += QStringLiteral("\n") + QString::fromLocal8Bit(file->detail());
    return text;
}

QString FailureOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& error) {
        return ErrorText(error);
    }
    return {};
}
