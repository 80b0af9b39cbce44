#pragma once

#include <QObject>
#include <QProcess>
#include <optional>

#include "protocol/device_endpoint.h"

namespace kestra {

// The virtual processor of --demo: kestra-sim from beside this program, on 127.0.0.5 at a
// free port. `ready` comes once it listens; it ends with this object.
class DemoProcessor : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kAddress = "127.0.0.5";

    explicit DemoProcessor(QObject* parent = nullptr);
    ~DemoProcessor() override;

    // False with the reason when the program is missing or no port is free.
    bool start(QString& error);
    DeviceEndpoint endpoint() const { return endpoint_; }

    // A port nobody holds on `address` now.
    static std::optional<uint16_t> free_port(const char* address);

signals:
    void ready();
    void failed(const QString& reason);

private:
    QProcess process_;
    DeviceEndpoint endpoint_;
    bool listening_ = false;
};

}  // namespace kestra
