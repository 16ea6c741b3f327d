#include "gui/dialogs/ProtocolControls.h"

#include "core/ftp/ServerEndpoint.h"
#include "gui/dialogs/FileChoosers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

using namespace pw;

void ProtocolControls::Follow() const {
    for (int i = 0; i < kFtpProtocolCount; ++i)
        Protocol->addItem(QString::fromLatin1(ProtocolCaption(static_cast<FtpProtocol>(i))));
    Port->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), Port));
    const ProtocolControls controls = *this;
    const auto apply = [controls](int index) {
        // An index the list does not hold (a value from elsewhere) shows no scheme or port.
        const std::optional<FtpProtocol> protocol = FtpProtocolFromNumber(index);
        const bool sftp = protocol == FtpProtocol::Sftp;
        if (controls.HostScheme)
            controls.HostScheme->setText(
                protocol ? QString::fromLatin1(ProtocolScheme(*protocol)) + "://" : QString());
        controls.Port->setPlaceholderText(protocol ? QString::number(DefaultPort(*protocol))
                                                   : QString());
        controls.Passive->setEnabled(!sftp);
        controls.KeyFile->setEnabled(sftp);
        controls.KeyFileButton->setEnabled(sftp);
    };
    QObject::connect(Protocol, &QComboBox::currentIndexChanged, Protocol, apply);
    apply(Protocol->currentIndex());
}

QString ChooseKeyFile(QWidget* parent) {
    return FileChoosers::ChooseOpenFile(parent, QStringLiteral("Key file"),
                                        QStringLiteral("All files (*)"), QString());
}
