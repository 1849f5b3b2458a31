#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <span>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include "app/CommandLineInfo.h"
#include "app/PluginRegistration.h"
#include "app/VORTANApp.h"
#include "app/dbus/DBusAutomationBus.h"
#include "app/dbus/ServerRegistration.h"
#include "gui/GuiModule.h"
#include "platform/ui/ScriptedUi.h"
#include "platform/ui/UnattendedDesktop.h"
#include "platform/win/qt/QtLoopBackend.h"

namespace {

constexpr const char* kUsage = R"(Usage: vortan [OPTION]

VORTAN moves configuration files between this PC and the parameterization memory
(flash file store) of a controller board. Client programs drive it over the D-Bus
session bus; each client gets a server process of its own.

Started without options it writes its registration (the D-Bus service file and the
class registry entry) and shows its window; closing the window ends it. Without a
display it only writes the registration.

Options:
  --automation   start as the automation server (the session bus does this;
                 -Embedding, /Embedding, -Automation and /Automation do the same)
  --register     write the server's registration and exit
  --unregister   remove the server's registration and exit
  --register-plugin PATH
                 enter the component plug-in PATH in the class registry for the
                 component classes it provides (controller access, flash
                 handling) and exit; a library that provides neither is refused
  --unregister-plugin PATH
                 remove the class registry entries that name PATH and exit
  --help         show this text and exit
  --version      show the version and exit

Classes are looked up in the user's class registry ($VORTAN_CLASSES, else
$XDG_CONFIG_HOME/vortan/classes.ini), then in vortan/classes.ini under each
directory of $XDG_CONFIG_DIRS (/etc/xdg); VORTAN_CLASSES set, only in that file.
The options above write the user's file only.
)";

// The bus reads its service files again, so a registration takes effect at once. A bus that
// cannot be reached is no error: registration failures are not reported.
void ReloadBusConfiguration() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.call(QDBusMessage::createMethodCall(
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig")),
             QDBus::Block, 5000);
}

int Register(int argc, char** argv, bool add) {
    QCoreApplication app(argc, argv);
    const std::filesystem::path program = QCoreApplication::applicationFilePath().toStdString();
    const HRESULT hr =
        add ? vortan::app::WriteRegistration(program) : vortan::app::RemoveRegistration();
    ReloadBusConfiguration();
    if (FAILED(hr)) {
        std::fprintf(stderr, "vortan: could not %s the registration (0x%08X)\n",
                     add ? "write" : "remove", static_cast<unsigned>(hr));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    using Action = vortan::app::CommandLineInfo::Action;
    const auto info = vortan::app::CommandLineInfo::Parse(
        std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)));
    switch (info.action) {
    case Action::Help:
        std::fputs(kUsage, stdout);
        return 0;
    case Action::Version:
        std::printf("vortan %s\n", VORTAN_VERSION);
        return 0;
    case Action::Error:
        std::fprintf(stderr, "vortan: %s\n%s", info.strError.c_str(), kUsage);
        return 2;
    case Action::Register:
        return Register(argc, argv, true);
    case Action::Unregister:
        return Register(argc, argv, false);
    case Action::RegisterPlugin:
        return vortan::app::RegisterPlugin(info.strPlugin, std::cout, std::cerr);
    case Action::UnregisterPlugin:
        return vortan::app::UnregisterPlugin(info.strPlugin, std::cout, std::cerr);
    case Action::Run:
        // Nobody could see the window of a plain start without a display, nor close it.
        if (!info.StartedByBus() && vortan::ui::ScriptedUi::NoDisplay())
            return Register(argc, argv, true);
        break;
    }

    // Chosen before any Qt application exists: an unattended server never loads Qt's GUI
    // libraries (nor fonts), only a server that shows its windows loads the widget module.
    std::optional<vortan::gui::GuiModule> gui;
    if (!vortan::ui::ScriptedUi::Wanted())
        gui = vortan::gui::GuiModule::Load();
    const std::unique_ptr<QCoreApplication> app =
        gui ? gui->CreateApplication(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    const auto loop = vortan::win::InstallQtLoopBackend();
    std::optional<vortan::ui::UnattendedDesktop> unattended;
    std::optional<vortan::gui::GuiModule::Desktop> desktop;
    if (gui)
        desktop.emplace(gui->InstallDesktop());
    else
        unattended.emplace();
    const std::filesystem::path program = QCoreApplication::applicationFilePath().toStdString();

    vortan::app::DBusAutomationBus bus;
    CVORTANApp theApp(bus, info, program);
    theApp.InitInstance();
    // The reply to the call that ended the server must leave before the process does.
    bus.Flush();
    return theApp.ExitCode() != 0 ? theApp.ExitCode() : bus.ExitCode();
}
