#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>

#include "controller/console.h"
#include "demo_processor.h"
#include "model/state_json.h"
#include "shell/main_window.h"
#include "shell/operator_dialogs.h"
#include "shell/profile.h"
#include "skin/app_icon.h"
#include "testing/script_driver.h"
#include "window_options.h"

namespace {

using namespace kestra;

// The ratio has to be known before the application object exists.
void apply_scale(int scale) {
    if (scale == 2) {
        qputenv("QT_SCALE_FACTOR", "2");
    }
}

// --device is for this run only; the profile keeps its own address.
ConsoleOptions console_options(const WindowOptions& options, const Profile& profile) {
    ConsoleOptions o;
    o.device = options.device;
    o.saved_device = profile.host_ip().toStdString();
    o.local_port = options.local_port;
    o.data_dir = options.data_dir;
    o.state_file = options.state_file;
    return o;
}

// The same drawing as the installed theme icons, so a build-tree run shows it too.
QIcon window_icon() {
    QIcon icon;
    for (int pixels : {48, 128, 256}) {
        icon.addPixmap(QPixmap::fromImage(skin::AppIcon::image(pixels)));
    }
    return icon;
}

bool save_screenshot(QWidget& window, const std::string& file) {
    if (!window.grab().save(QString::fromStdString(file), "PNG")) {
        std::fprintf(stderr, "kestra: cannot write %s\n", file.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer since_start;
    since_start.start();
    WindowOptions options;
    try {
        options = WindowOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const WindowUsageError& e) {
        std::fprintf(stderr, "kestra: %s\n%s", e.what(), WindowOptions::kUsage);
        return 2;
    }
    // Before the application object, which needs a display.
    if (options.help) {
        std::fputs(WindowOptions::kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("kestra %s\n", KESTRA_VERSION);
        return 0;
    }
    apply_scale(options.scale);
    QApplication app(argc, argv);
    // Also the window's class on X11 (WM_CLASS), which the desktop entry's StartupWMClass names.
    app.setApplicationName(QStringLiteral("kestra-v"));
    app.setDesktopFileName(QString::fromLatin1(skin::AppIcon::kName));
    app.setWindowIcon(window_icon());

    Profile profile(options.data_dir);
    OperatorDialogs dialogs;
    DemoProcessor demo;
    ConsoleOptions console = console_options(options, profile);
    std::optional<DeviceEndpoint> search_host;
    if (options.host_address) {
        search_host = DeviceEndpoint::parse(*options.host_address);
    }
    if (options.demo) {
        QString error;
        if (!demo.start(error)) {
            std::fprintf(stderr, "kestra: --demo: %s\n", qPrintable(error));
            return 1;
        }
        console.device = demo.endpoint().text();
        if (!options.local_port) {
            if (const auto port = DemoProcessor::free_port(DemoProcessor::kAddress)) {
                console.local_port = *port;
            }
        }
        if (!search_host) {
            search_host = DeviceEndpoint::parse("127.0.0.1");
        }
    }

    std::unique_ptr<Console> made;
    try {
        made = std::make_unique<Console>(
            ConsoleSettings::from(console),
            [&app](std::function<void()> f) {
                QMetaObject::invokeMethod(&app, std::move(f), Qt::QueuedConnection);
            },
            dialogs, dialogs);
    } catch (const ConsoleOptionError& e) {
        std::fprintf(stderr, "kestra: %s\n%s", e.what(), WindowOptions::kUsage);
        return 2;
    } catch (const ConsoleError& e) {
        std::fprintf(stderr, "kestra: --state %s\n", e.what());
        return 2;
    }
    Console& controller = *made;

    MainWindow window(controller, profile, dialogs, search_host);
    window.set_firmware_time_scale(options.firmware_time_scale);
    int exit_code = 0;
    QObject::connect(&window, &MainWindow::finished, &app, [&] { app.exit(exit_code); });
    app.setQuitOnLastWindowClosed(false);

    std::unique_ptr<ScriptDriver> driver;
    if (options.script) {
        driver = std::make_unique<ScriptDriver>(&window, ScriptDriver::Hooks{[&controller] {
            return StateJson::to_json(controller.state(), controller.session().codec()).dump();
        }},
                                                std::cout);
        QString error;
        if (!driver->load(QString::fromStdString(*options.script), error)) {
            std::fprintf(stderr, "kestra: --script %s\n", qPrintable(error));
            return 2;
        }
        dialogs.divert(*driver, *driver);
        QObject::connect(driver.get(), &ScriptDriver::finished, &window, [&](int failed) {
            exit_code = failed == 0 ? 0 : 1;
            if (options.screenshot && !save_screenshot(window, *options.screenshot)) {
                exit_code = 1;
            }
            window.close();
        });
    }
    const bool timing = qEnvironmentVariableIsSet("KESTRA_TIMING");
    const auto report_time = [&](const char* what) {
        if (timing) {
            std::fprintf(stderr, "%s: %lld ms\n", what,
                         static_cast<long long>(since_start.elapsed()));
        }
    };
    QObject::connect(&window, &MainWindow::finished, &window, [&] { report_time("closed"); });
    QObject::connect(&window, &MainWindow::first_painted, &window, [&] {
        report_time("first paint");
        if (driver) {
            driver->start();
        } else if (options.screenshot) {
            exit_code = save_screenshot(window, *options.screenshot) ? 0 : 1;
            report_time("screenshot written");
            window.close();
        }
    });
    if (options.demo) {
        QObject::connect(&demo, &DemoProcessor::ready, &window, [&] { window.connect_device(); });
        QObject::connect(&demo, &DemoProcessor::failed, &window, [](const QString& reason) {
            std::fprintf(stderr, "kestra: --demo: %s\n", qPrintable(reason));
        });
    }

    if (options.size) {
        window.resize(*options.size);
        window.show();
    } else {
        window.showMaximized();
    }
    return app.exec();
}
