#include "demo_processor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>

#include "net/udp_socket.h"

namespace kestra {

namespace {

constexpr int kDemoSeconds = 24 * 3600;

QString simulator_program() {
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + QStringLiteral("/kestra-sim"), dir + QStringLiteral("/../sim/kestra-sim")}) {
        if (QFileInfo(candidate).isExecutable()) {
            return QFileInfo(candidate).canonicalFilePath();
        }
    }
    return {};
}

}  // namespace

DemoProcessor::DemoProcessor(QObject* parent) : QObject(parent) {
    connect(&process_, &QProcess::readyReadStandardOutput, this, [this] {
        const QByteArray out = process_.readAllStandardOutput();
        if (!listening_ && out.contains("listening")) {
            listening_ = true;
            emit ready();
        }
    });
    connect(&process_, &QProcess::errorOccurred, this,
            [this](QProcess::ProcessError) { emit failed(process_.errorString()); });
}

DemoProcessor::~DemoProcessor() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(1000)) {
            process_.kill();
            process_.waitForFinished(1000);
        }
    }
}

std::optional<uint16_t> DemoProcessor::free_port(const char* address) {
    const auto host = DeviceEndpoint::parse(address);
    if (!host) {
        return std::nullopt;
    }
    const UdpSocket socket = UdpSocket::bind(0, *host);
    if (!socket.valid()) {
        return std::nullopt;
    }
    return socket.port();
}

bool DemoProcessor::start(QString& error) {
    const QString program = simulator_program();
    if (program.isEmpty()) {
        error = QStringLiteral("kestra-sim was not found beside %1")
                    .arg(QCoreApplication::applicationDirPath());
        return false;
    }
    const auto port = free_port(kAddress);
    if (!port) {
        error = QStringLiteral("no free port on %1").arg(QString::fromLatin1(kAddress));
        return false;
    }
    endpoint_ = *DeviceEndpoint::parse(kAddress);
    endpoint_.port = *port;
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start(program, {QStringLiteral("--listen"),
                             QStringLiteral("%1:%2").arg(QString::fromLatin1(kAddress)).arg(*port),
                             QStringLiteral("--exit-after"), QString::number(kDemoSeconds)});
    return true;
}

}  // namespace kestra
