// j2ctl: the configurator's settings from the command line. The composition root, as the configurator's
// own: the settings root, the HID backend the environment asks for and the single-instance claim, so the
// window and j2ctl never both talk to the mouse.

#include "bootloader_protocol.h"
#include "cli_log.h"
#include "commands.h"
#include "device_table.h"
#include "hid_choice.h"
#include "session.h"
#include "settings_io.h"
#include "single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>

#include <atomic>
#include <cstdio>

using namespace j2::cli;

namespace {

bool traceWanted = false;
std::atomic<bool> commandRefused{false};
QtMessageHandler defaultHandler = nullptr;

// Writes run on the pool and are not waited for by their callers; a write the device object could not make
// is told only as its "cmd Failed" line. Seeing one makes the command fail.
void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (qstrcmp(context.category, "j2.device") == 0 && text.startsWith(QLatin1String("cmd Failed")))
        commandRefused.store(true);
    if (traceWanted || type >= QtWarningMsg)
        defaultHandler(type, context, text);
}

void printText(std::FILE* stream, const QString& text)
{
    std::fputs(text.toUtf8().constData(), stream);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // A script reads the answer and a one-line reason; the layers' trace stays off unless QT_LOGGING_RULES
    // (which takes precedence over these rules) asks for it. The device layer's lines are still looked at:
    // a command the mouse did not take is told only there.
    traceWanted = !qEnvironmentVariableIsEmpty("QT_LOGGING_RULES");
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\nj2.device.debug=true"));
    defaultHandler = qInstallMessageHandler(handleMessage);
    // The configurator's name: the same settings root, the same single-instance claim.
    QCoreApplication::setApplicationName(QStringLiteral("j2-configurator"));

    QStringList arguments = app.arguments().mid(1);
    Context context;
    const QString startFolder = QDir::currentPath();
    context.locations.factory = QCoreApplication::applicationDirPath();
    context.locations.settings = chooseSettingsRoot(app.arguments(), startFolder);
    const qsizetype settingsOption = arguments.indexOf(QStringLiteral("--settings"));
    if (settingsOption >= 0) {
        if (settingsOption + 1 >= arguments.size())
            return fail(kBadArguments, QStringLiteral("--settings needs a folder"));
        arguments.remove(settingsOption, 2);
    }
    context.json = arguments.removeAll(QStringLiteral("--json")) > 0;

    if (arguments.isEmpty())
        return printText(stderr, usageText()), kBadArguments;
    if (arguments.first() == QLatin1String("--help")) {
        printText(stdout, usageText());
        return kSuccess;
    }
    if (arguments.first() == QLatin1String("--help-man")) {
        printText(stdout, manPage());
        return kSuccess;
    }
    if (arguments.first() == QLatin1String("--help-completion")) {
        printText(stdout, bashCompletion());
        return kSuccess;
    }
    const Command* command = findCommand(arguments.first());
    if (command == nullptr)
        return fail(kBadArguments,
                    QStringLiteral("no command %1 (j2ctl --help lists them)").arg(arguments.first()));
    context.arguments = arguments.mid(1);
    if (context.arguments.contains(QStringLiteral("--help"))) {
        printText(stdout, commandHelp(*command));
        return kSuccess;
    }

    // What a failed settings write says reaches the user, and makes the command fail.
    bool writeFailed = false;
    setWriteFailureNotice([&writeFailed](const QString& text) {
        writeFailed = true;
        fail(kNoMouse, text);
    });

    std::unique_ptr<j2::platform::SingleInstance> instance;
    std::unique_ptr<OwnSession> own;
    bool mouseAnswered = false;
    const auto openSession = [&](bool withMouse) -> Session* {
        if (!own) {
            instance = j2::platform::makeSingleInstance(QStringLiteral("j2-configurator"));
            if (!instance->tryAcquire()) {
                // One writer at a time: the running configurator runs the command through its own device
                // object.
                constexpr int kForwardWaitMs = 60000;
                const std::optional<QByteArray> answer = instance->askRunningToRun(
                    forwardRequest(QString::fromLatin1(command->name), context.arguments, context.json),
                    kForwardWaitMs);
                context.forwardedStatus = answer ? printForwardedAnswer(*answer) : std::nullopt;
                if (!context.forwardedStatus)
                    context.forwardedStatus =
                        fail(kNoMouse, QStringLiteral("the configurator is running but did not answer"));
                return nullptr;
            }
            if (!prepareSettingsRoot(context.locations.settings, context.locations.factory)) {
                fail(kNoMouse,
                     QStringLiteral("the settings in %1 cannot be used").arg(context.locations.settings));
                return nullptr;
            }
            own = std::make_unique<OwnSession>(
                context.locations,
                j2::compose::makeHidBackend(j2::compose::virtualMouseSocketFromEnvironment()));
        }
        if (!withMouse || mouseAnswered)
            return &own->session;
        const DeviceTable table = loadDeviceTable(kDeviceTableResource, own->config.productNames());
        if (!own->connect(table.records, table.isEncode, context.readsNotifications)) {
            context.bootloaderFound =
                !own->backend->enumerate(j2::wire::boot::kVendorId, j2::wire::boot::kProductId).empty();
            fail(kNoMouse, context.bootloaderFound
                               ? QStringLiteral("the mouse is in its bootloader: finish the update first")
                               : QStringLiteral("no mouse answered"));
            return nullptr;
        }
        mouseAnswered = true;
        return &own->session;
    };
    context.open = [&] { return openSession(true); };
    context.openSettings = [&] { return openSession(false); };

    qCDebug(lcCli) << "command" << command->name << context.arguments;
    int status = command->handler(context);
    if (context.forwardedStatus)
        return *context.forwardedStatus;
    if (own)
        own->finish();
    if (status == kSuccess && writeFailed)
        status = kNoMouse;
    if (status == kSuccess && commandRefused.load())
        status =
            fail(kNoMouse, QStringLiteral("the mouse did not take every command (it was busy or went away)"));
    setWriteFailureNotice({});
    return status;
}
