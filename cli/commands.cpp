// The command table and the handlers. Every handler checks all of its arguments before it opens the mouse,
// so a bad argument leaves the mouse and the profile files as they were; what it changes it changes through
// the bridge's and the store's own calls, in the order the window's pages make them.

#include "commands.h"

#include "bootloader_protocol.h"
#include "cli_log.h"
#include "device_flags.h"
#include "page_rules.h"
#include "session.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>

namespace j2::cli {

namespace {

// What the pages offer: profiles 1-6 in the profile list, DPI stages 1-7 on the DPI panel with 200-16400 in
// hundreds, the four polling rates, and five levels for each lighting effect.
constexpr int kProfiles = 6;
constexpr int kStages = 7;
constexpr int kDpiLow = 200;
constexpr int kDpiHigh = 16400;
constexpr int kDpiStep = 100;
constexpr int kLevels = 5;
constexpr int kStageColourType = 1;
constexpr int kButtons = 32;
constexpr int kDefinitionItems = 4;
// A button definition [type, -, slot, -] whose type says the button plays the macro in that slot (1-based).
constexpr int kMacroDefinition = 0x09;
constexpr int kDefinitionType = 0;
constexpr int kDefinitionSlot = 2;
// The gun page is offered when the application settings' first entry says so; its guns are name list 1.
constexpr int kGunPageSetting = 0;
constexpr int kGunNames = 1;
const QStringList kEffectNames{QStringLiteral("off"), QStringLiteral("static"), QStringLiteral("breath"),
                               QStringLiteral("rgb"), QStringLiteral("tapping")};
struct Rate
{
    int hertz;
    int intervalMs;
};
constexpr std::array<Rate, 4> kRates{{{1000, 1}, {500, 2}, {250, 4}, {125, 8}}};

std::optional<int> numberIn(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

// "name ARGUMENTS", or the name alone for a command that takes none.
QString synopsis(const Command& command)
{
    const QString arguments = QString::fromLatin1(command.arguments);
    return QString::fromLatin1(command.name) +
           (arguments.isEmpty() ? QString() : QLatin1Char(' ') + arguments);
}

int wrongCount(const Command& command)
{
    return fail(kBadArguments, QStringLiteral("usage: j2ctl ") + synopsis(command));
}

PageRules& rules()
{
    static PageRules loaded;
    return loaded;
}

int rateHertz(int intervalMs)
{
    for (const Rate& rate : kRates)
        if (rate.intervalMs == intervalMs)
            return rate.hertz;
    return 0;
}

// ---- what the panels show, read as their init(false) reads it ----

struct DpiPanel
{
    QList<int> values;
    QList<bool> flags;
    QStringList colours;
    QList<int> colourBytes;
};

DpiPanel loadDpiPanel(Session& session)
{
    DpiPanel panel;
    const QList<int> values = session.bridge.storedDpiValues();
    const QList<int> flags = session.bridge.selectableStages();
    for (const uint byte : session.bridge.storedStageColours(kStageColourType))
        panel.colourBytes.append(int(byte));
    for (int stage = 0; stage < kStages; ++stage) {
        panel.values.append(values.value(stage, 10800));
        panel.flags.append(flags.value(stage, 1) != 0);
        panel.colours.append(rules().colourFromBytes(panel.colourBytes, stage));
    }
    return panel;
}

// The DPI panel's Save.
void saveDpiPanel(Session& session, const DpiPanel& panel)
{
    const PageRules::DpiArguments sent = rules().dpiArguments(panel.values, panel.flags, panel.colours);
    session.bridge.setSelectableStages(sent.flags);
    session.bridge.setDpiStages(sent.codes, sent.values);
    // The mouse takes the stage colours reliably only when they come twice, as the panel sends them.
    session.bridge.setStageColours(kStageColourType, sent.colourBytes);
    session.bridge.setStageColours(kStageColourType, sent.colourBytes);
}

QList<int> storedEffect(Session& session)
{
    QList<int> stored;
    for (const uint value : session.bridge.storedLightEffect())
        stored.append(int(value));
    return stored;
}

// The lighting panel's Save of what it shows for [effect, level, mask].
void saveLighting(Session& session, const QList<int>& shown)
{
    const QList<int> sent = rules().sendValues(shown.value(0), shown.value(1), shown.value(2));
    session.bridge.setLightEffect(uchar(sent.value(0)), uchar(sent.value(1)), uchar(sent.value(2)), shown);
}

QList<int> shownLighting(const PageRules::LoadedEffect& loaded)
{
    const int level = loaded.effect <= 3 ? loaded.levels.value(loaded.effect - 1) : 0;
    return rules().setLedArguments(loaded.effect, level, loaded.toggleMask);
}

// The pages' byte numbers as the bytes a macro slot gets.
QByteArray lowBytes(const QList<int>& values)
{
    QByteArray bytes;
    for (const int value : values)
        bytes.append(char(value & 0xFF));
    return bytes;
}

QList<QList<int>> storedDefinitions(Session& session)
{
    // A missing item reads as 0.
    QList<QList<int>> definitions;
    for (int button = 0; button < kButtons; ++button) {
        const QList<int> stored = session.profiles.getKeydefine(QString::number(button));
        QList<int> definition;
        for (int item = 0; item < kDefinitionItems; ++item)
            definition.append(stored.value(item, 0));
        definitions.append(definition);
    }
    return definitions;
}

// The button panel writes the macro of every button bound to one into that button's slot each time it loads
// the profile, whether or not it then sends the table, so the mouse plays what the profile names.
void sendBoundMacros(Session& session, const QList<QList<int>>& definitions)
{
    for (const QList<int>& definition : definitions) {
        if (definition.at(kDefinitionType) != kMacroDefinition)
            continue;
        const int slotIndex = definition.at(kDefinitionSlot) - 1;
        const QStringList stored = session.macros.loadMacroIni(session.profiles.getMacroKey(slotIndex));
        session.sender.sendMacroData(lowBytes(rules().macroBytes(stored)), uint(slotIndex));
    }
}

bool gunPageShown(Session& session)
{
    return session.config.loadApConfig().value(kGunPageSetting).toDouble() == 1;
}

// The gun list as the gun page shows it: ordered by each gun's stored number, a gun after those with an equal
// number; a slot holds a position in it.
QStringList gunList(Session& session)
{
    QStringList names = session.names.getNameList(kGunNames);
    if (names.size() == 2 && names.at(1) == NameList::kPlaceholder)
        names.removeLast();
    QStringList ordered;
    QList<int> numbers;
    for (const QString& name : std::as_const(names)) {
        const int number = session.guns.loadGunIndex(name);
        qsizetype at = 0;
        while (at < numbers.size() && numbers.at(at) <= number)
            ++at;
        ordered.insert(at, name);
        numbers.insert(at, number);
    }
    return ordered;
}

// What the gun page and the button panel send after the key table: the slots' guns are recorded, the gun of
// every slot a key is bound to goes into its device slots, and the three gun key tables follow.
void sendGuns(Session& session, const QList<QList<int>>& definitions)
{
    const std::array<GunSlot, GunLibrary::kGunSlots> stored = session.guns.selectedGuns();
    std::array<int, GunLibrary::kGunSlots> guns{};
    QList<PageRules::GunBinding> bindings;
    for (std::size_t slot = 0; slot < stored.size(); ++slot) {
        // A profile that never chose holds the first gun.
        guns[slot] = std::max(stored[slot].gun.value_or(0), 0);
        bindings.append(rules().gunBinding(stored[slot].key, stored[slot].keyType));
    }
    session.guns.setSelectGun(guns);
    const QStringList list = gunList(session);
    for (int slot = 0; slot < GunLibrary::kGunSlots; ++slot) {
        const QString name = list.value(guns[std::size_t(slot)]);
        if (bindings.at(slot).key < 0 || name.isEmpty())
            continue;
        const QList<PageRules::Chunk> chunks = rules().gunChunks(session.guns.loadGunIni(name), slot);
        // The mouse keeps the gun it had; whoever asked must know.
        if (chunks.isEmpty())
            notice(name + QStringLiteral(": too long for the mouse's gun slots, not written"));
        for (const PageRules::Chunk& chunk : chunks)
            session.sender.sendMacroData(lowBytes(chunk.bytes), uint(chunk.slot - 1));
    }
    const QList<QList<int>> tables = rules().gunKeyTables(definitions, bindings);
    for (qsizetype table = 0; table < tables.size(); ++table)
        session.bridge.setGunKeyTable(tables.at(table), uint(table + 1));
}

// The pointer panels apply the profile's desktop pointer settings again; a setting this desktop does not take
// keeps the desktop's value, as on the pages.
void applyPointerSettings(PointerBridge& pointer)
{
    QStringList refused;
    if (!pointer.setCursorSpeed(pointer.getCursorSpeed()))
        refused.append(QStringLiteral("pointer speed"));
    if (!pointer.setDoubleClickSpeed(pointer.getDoubleClickSpeed()))
        refused.append(QStringLiteral("double-click time"));
    if (!pointer.setVerticalScrollLines(pointer.getVerticalScrollLines()))
        refused.append(QStringLiteral("wheel lines"));
    if (!refused.isEmpty())
        notice(QStringLiteral("this desktop did not take the profile's ") +
               refused.join(QStringLiteral(", ")));
}

// What the window sends after a profile switch or import: every panel loads the profile and sends it, in the
// window's reload order (buttons, axes, DPI, angle snap and gesture correction, lighting, polling rate, and
// the desktop's pointer settings).
void resendProfile(Session& session, bool withAngleSnap)
{
    // The button panel writes the bound macros, then sends the definitions as stored, then the guns.
    const QList<QList<int>> definitions = storedDefinitions(session);
    sendBoundMacros(session, definitions);
    QList<int> keyTable;
    for (const QList<int>& definition : definitions)
        keyTable.append(definition);
    session.bridge.setKeyTable(keyTable);
    if (gunPageShown(session))
        sendGuns(session, definitions);

    const int xStep = session.profiles.getXYSensitive(QStringLiteral("0"));
    const int yStep = session.profiles.getXYSensitive(QStringLiteral("1"));
    session.bridge.setXySensitivity(uchar(rules().sensitivityValue(xStep)),
                                    uchar(rules().sensitivityValue(yStep)));

    const DpiPanel dpi = loadDpiPanel(session);
    session.bridge.setStageColours(kStageColourType, dpi.colourBytes);
    saveDpiPanel(session, dpi);

    if (withAngleSnap) {
        const DeviceBridge::AngleSnap snap = session.bridge.storedAngleSnap();
        // The angle snap panel and the gesture panel each send the pair.
        session.bridge.setAngleSnap(uchar(snap.angleSnap), uchar(snap.gestureStep));
        session.bridge.setAngleSnap(uchar(snap.angleSnap), uchar(snap.gestureStep));
    }
    saveLighting(session, shownLighting(rules().loadedEffect(storedEffect(session))));
    session.bridge.setReportRate(uchar(session.bridge.reportRate()));
    if (session.pointer != nullptr)
        applyPointerSettings(*session.pointer);
}

// A session for a command that writes: the blocks read and the stored profile chosen, as at the window's
// start.
Session* openForWriting(Context& context)
{
    Session* session = context.open();
    if (session == nullptr)
        return nullptr;
    session->selectStoredProfile();
    session->readProfileBlocks();
    return session;
}

// ---- handlers ----

QJsonObject lightingObject(Session& session)
{
    const PageRules::LoadedEffect loaded = rules().loadedEffect(storedEffect(session));
    const QList<int> shown = shownLighting(loaded);
    const QList<int> sent = rules().sendValues(shown.value(0), shown.value(1), shown.value(2));
    QJsonObject light;
    light.insert(QStringLiteral("effect"), kEffectNames.value(sent.value(0), QStringLiteral("unknown")));
    if (sent.value(0) >= 1 && sent.value(0) <= 3)
        light.insert(QStringLiteral("level"), shown.value(1));
    return light;
}

QJsonArray stagesArray(Session& session)
{
    const DpiPanel panel = loadDpiPanel(session);
    QJsonArray stages;
    for (int stage = 0; stage < kStages; ++stage) {
        QJsonObject entry;
        entry.insert(QStringLiteral("stage"), stage + 1);
        entry.insert(QStringLiteral("dpi"), panel.values.at(stage));
        entry.insert(QStringLiteral("colour"), panel.colours.at(stage));
        entry.insert(QStringLiteral("selectable"), panel.flags.at(stage));
        stages.append(entry);
    }
    return stages;
}

QString stagesText(const QJsonArray& stages, int current)
{
    QString text;
    for (const QJsonValue& value : stages) {
        const QJsonObject stage = value.toObject();
        const int number = stage.value(QStringLiteral("stage")).toInt();
        text += QStringLiteral("  %1 stage %2: %3 dpi %4%5\n")
                    .arg(number == current ? QStringLiteral("*") : QStringLiteral(" "))
                    .arg(number)
                    .arg(stage.value(QStringLiteral("dpi")).toInt())
                    .arg(stage.value(QStringLiteral("colour")).toString(),
                         stage.value(QStringLiteral("selectable")).toBool()
                             ? QString()
                             : QStringLiteral(" (not selectable)"));
    }
    return text;
}

int info(Context& context)
{
    if (!context.arguments.isEmpty())
        return wrongCount(*findCommand(QStringLiteral("info")));
    Session* session = context.open();
    if (session == nullptr && context.bootloaderFound) {
        // The answer a bug report needs: the mouse waits in its bootloader for an update to finish.
        const QString ids =
            QString::asprintf("%04x:%04x", j2::wire::boot::kVendorId, j2::wire::boot::kProductId);
        context.print(
            QStringLiteral("device: bootloader (%1)").arg(ids),
            {{QStringLiteral("device"), QJsonObject{{QStringLiteral("kind"), QStringLiteral("bootloader")},
                                                    {QStringLiteral("ids"), ids}}}});
        return kNoMouse;
    }
    if (session == nullptr)
        return kNoMouse;
    session->selectStoredProfile();
    QJsonObject device;
    device.insert(QStringLiteral("kind"), QStringLiteral("mouse"));
    device.insert(QStringLiteral("name"), session->productName);
    device.insert(QStringLiteral("vendorId"), QString::asprintf("%04x", session->vendorId));
    device.insert(QStringLiteral("productId"), QString::asprintf("%04x", session->productId));
    device.insert(QStringLiteral("firmware"), session->bridge.firmwareVersion());
    device.insert(QStringLiteral("scrambling"), isEncode.load());
    const int stage = session->bridge.dpiStage();
    const QJsonArray stages = stagesArray(*session);
    const int rate = rateHertz(session->bridge.reportRate());
    const QJsonObject light = lightingObject(*session);

    QJsonObject object;
    object.insert(QStringLiteral("device"), device);
    object.insert(QStringLiteral("profile"), session->profiles.currentProfile() + 1);
    object.insert(QStringLiteral("dpiStage"), stage);
    object.insert(QStringLiteral("stages"), stages);
    object.insert(QStringLiteral("rate"), rate);
    object.insert(QStringLiteral("lighting"), light);
    const QString text =
        QStringLiteral("device: %1 (mouse, %2:%3)\nfirmware: %4\nscrambling: %5\nprofile: %6\ndpi stage: %7\n"
                       "stages:\n%8rate: %9 Hz\nlighting: %10%11")
            .arg(session->productName, device.value(QStringLiteral("vendorId")).toString(),
                 device.value(QStringLiteral("productId")).toString(),
                 device.value(QStringLiteral("firmware")).toString(),
                 isEncode.load() ? QStringLiteral("on") : QStringLiteral("off"))
            .arg(object.value(QStringLiteral("profile")).toInt())
            .arg(stage)
            .arg(stagesText(stages, stage))
            .arg(rate)
            .arg(light.value(QStringLiteral("effect")).toString(),
                 light.contains(QStringLiteral("level"))
                     ? QStringLiteral(" level %1").arg(light.value(QStringLiteral("level")).toInt())
                     : QString());
    context.print(text, object);
    return kSuccess;
}

int profile(Context& context)
{
    if (context.arguments.size() > 1)
        return wrongCount(*findCommand(QStringLiteral("profile")));
    if (context.arguments.isEmpty()) {
        Session* session = context.open();
        if (session == nullptr)
            return kNoMouse;
        session->selectStoredProfile();
        const int number = session->profiles.currentProfile() + 1;
        context.print(QStringLiteral("profile: %1").arg(number), {{QStringLiteral("profile"), number}});
        return kSuccess;
    }
    const std::optional<int> number = numberIn(context.arguments.at(0), 1, kProfiles);
    if (!number)
        return fail(kBadArguments, QStringLiteral("no profile %1: profiles are 1 to %2")
                                       .arg(context.arguments.at(0))
                                       .arg(kProfiles));
    Session* session = openForWriting(context);
    if (session == nullptr)
        return kNoMouse;
    // Switching to the profile already chosen sends nothing, as in the window.
    if (*number - 1 == session->profiles.currentProfile())
        return kSuccess;
    session->bridge.selectProfile(*number - 1);
    // The window's pages load the chosen profile as soon as it is picked, and send it when the list closes.
    sendBoundMacros(*session, storedDefinitions(*session));
    resendProfile(*session, true);
    session->bridge.setDeviceKeyTableNumber(0);
    return kSuccess;
}

int dpi(Context& context)
{
    const QStringList& arguments = context.arguments;
    const Command& command = *findCommand(QStringLiteral("dpi"));
    if (arguments.value(0) == QLatin1String("set")) {
        if (arguments.size() != 3)
            return wrongCount(command);
        const std::optional<int> stage = numberIn(arguments.at(1), 1, kStages);
        const std::optional<int> value = numberIn(arguments.at(2), kDpiLow, kDpiHigh);
        if (!stage)
            return fail(kBadArguments,
                        QStringLiteral("no stage %1: stages are 1 to %2").arg(arguments.at(1)).arg(kStages));
        if (!value || (*value - kDpiLow) % kDpiStep != 0)
            return fail(kBadArguments, QStringLiteral("%1 dpi cannot be set: %2 to %3 in steps of %4")
                                           .arg(arguments.at(2))
                                           .arg(kDpiLow)
                                           .arg(kDpiHigh)
                                           .arg(kDpiStep));
        Session* session = openForWriting(context);
        if (session == nullptr)
            return kNoMouse;
        DpiPanel panel = loadDpiPanel(*session);
        panel.values[*stage - 1] = *value;
        saveDpiPanel(*session, panel);
        return kSuccess;
    }
    if (arguments.size() > 1)
        return wrongCount(command);
    if (arguments.size() == 1) {
        const std::optional<int> stage = numberIn(arguments.at(0), 1, kStages);
        if (!stage)
            return fail(kBadArguments,
                        QStringLiteral("no stage %1: stages are 1 to %2").arg(arguments.at(0)).arg(kStages));
        Session* session = openForWriting(context);
        if (session == nullptr)
            return kNoMouse;
        session->bridge.setDpiStage(uchar(*stage));
        return kSuccess;
    }
    Session* session = context.open();
    if (session == nullptr)
        return kNoMouse;
    session->selectStoredProfile();
    const int stage = session->bridge.dpiStage();
    const QJsonArray stages = stagesArray(*session);
    context.print(QStringLiteral("dpi stage: %1\n%2").arg(stage).arg(stagesText(stages, stage)).trimmed(),
                  {{QStringLiteral("dpiStage"), stage}, {QStringLiteral("stages"), stages}});
    return kSuccess;
}

int rate(Context& context)
{
    const Command& command = *findCommand(QStringLiteral("rate"));
    if (context.arguments.size() > 1)
        return wrongCount(command);
    if (context.arguments.isEmpty()) {
        Session* session = context.open();
        if (session == nullptr)
            return kNoMouse;
        session->selectStoredProfile();
        const int hertz = rateHertz(session->bridge.reportRate());
        context.print(QStringLiteral("rate: %1 Hz").arg(hertz), {{QStringLiteral("rate"), hertz}});
        return kSuccess;
    }
    int interval = 0;
    for (const Rate& each : kRates)
        if (context.arguments.at(0) == QString::number(each.hertz))
            interval = each.intervalMs;
    if (interval == 0)
        return fail(kBadArguments, QStringLiteral("no rate %1: the mouse reports at 125, 250, 500 or 1000 Hz")
                                       .arg(context.arguments.at(0)));
    Session* session = openForWriting(context);
    if (session == nullptr)
        return kNoMouse;
    session->bridge.setReportRate(uchar(interval));
    return kSuccess;
}

int light(Context& context)
{
    const QStringList& arguments = context.arguments;
    if (arguments.isEmpty()) {
        Session* session = context.open();
        if (session == nullptr)
            return kNoMouse;
        session->selectStoredProfile();
        const QJsonObject object = lightingObject(*session);
        context.print(
            QStringLiteral("lighting: %1%2")
                .arg(object.value(QStringLiteral("effect")).toString(),
                     object.contains(QStringLiteral("level"))
                         ? QStringLiteral(" level %1").arg(object.value(QStringLiteral("level")).toInt())
                         : QString()),
            {{QStringLiteral("lighting"), object}});
        return kSuccess;
    }
    if (arguments.size() > 2)
        return wrongCount(*findCommand(QStringLiteral("light")));
    const int effect = int(kEffectNames.indexOf(arguments.at(0)));
    if (effect < 1 || effect > 3)
        return fail(kBadArguments,
                    QStringLiteral("no effect %1: static, breath or rgb").arg(arguments.at(0)));
    std::optional<int> level;
    if (arguments.size() == 2) {
        level = numberIn(arguments.at(1), 0, kLevels - 1);
        if (!level)
            return fail(
                kBadArguments,
                QStringLiteral("no level %1: levels are 0 to %2").arg(arguments.at(1)).arg(kLevels - 1));
    }
    Session* session = openForWriting(context);
    if (session == nullptr)
        return kNoMouse;
    // Without a level the effect keeps the one the panel shows for it.
    const PageRules::LoadedEffect loaded = rules().loadedEffect(storedEffect(*session));
    const int chosen = level.value_or(loaded.levels.value(effect - 1, kLevels - 1));
    saveLighting(*session, rules().setLedArguments(effect, chosen, loaded.toggleMask));
    return kSuccess;
}

int exportProfile(Context& context)
{
    if (context.arguments.size() != 1)
        return wrongCount(*findCommand(QStringLiteral("export")));
    const QString target = QFileInfo(context.arguments.at(0)).absoluteFilePath();
    if (!QFileInfo(QFileInfo(target).absolutePath()).isDir())
        return fail(kBadArguments,
                    QStringLiteral("%1: no such folder").arg(QFileInfo(target).absolutePath()));
    // The profile file is what the window last saved and sent: no mouse is needed to copy it.
    Session* session = context.openSettings();
    if (session == nullptr)
        return kNoMouse;
    session->selectStoredProfile();
    const int current = session->profiles.currentProfile();
    session->files.file = target;
    session->profiles.saveProfile(current);
    QFile written(target);
    QFile source(session->profiles.slotFile(current));
    if (!written.open(QIODevice::ReadOnly) || !source.open(QIODevice::ReadOnly) ||
        written.readAll() != source.readAll())
        return fail(kNoMouse, QStringLiteral("%1: the profile could not be written there").arg(target));
    return kSuccess;
}

int importProfile(Context& context)
{
    if (context.arguments.size() != 1)
        return wrongCount(*findCommand(QStringLiteral("import")));
    const QString source = QFileInfo(context.arguments.at(0)).absoluteFilePath();
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return fail(kBadArguments, QStringLiteral("%1: %2").arg(source, file.errorString()));
    Session* session = openForWriting(context);
    if (session == nullptr)
        return kNoMouse;
    const int current = session->profiles.currentProfile();
    session->files.file = source;
    if (!session->profiles.loadProfile(current))
        return fail(kNoMouse, QStringLiteral("%1: the profile could not be imported").arg(source));
    // A profile file holds everything but the angle snap and gesture correction.
    resendProfile(*session, false);
    return kSuccess;
}

std::atomic<int> stopSignal{0};

int watch(Context& context)
{
    if (!context.arguments.isEmpty())
        return wrongCount(*findCommand(QStringLiteral("watch")));
    context.readsNotifications = true;
    Session* session = context.open();
    if (session == nullptr)
        return kNoMouse;
    if (session->notices == nullptr)
        return fail(kNoMouse, QStringLiteral("the configurator holds the mouse and shows its notices"));
    session->selectStoredProfile();
    // The notices tell the stage's DPI value, as the pages stored it.
    session->bridge.storedDpiValues();
    const bool json = context.json;
    *session->notices = [session, json](const QString& text) {
        // From the watch thread: the stage is asked on the main thread, between exchanges.
        QMetaObject::invokeMethod(
            qApp,
            [session, json, text] {
                const int stage = session->bridge.dpiStage();
                const QByteArray line = json ? QJsonDocument(QJsonObject{{QStringLiteral("dpiStage"), stage},
                                                                         {QStringLiteral("notice"), text}})
                                                   .toJson(QJsonDocument::Compact)
                                             : QStringLiteral("stage %1: %2").arg(stage).arg(text).toUtf8();
                std::fprintf(stdout, "%s\n", line.constData());
                std::fflush(stdout);
            },
            Qt::QueuedConnection);
    };
    std::signal(SIGINT, [](int number) { stopSignal.store(number); });
    std::signal(SIGTERM, [](int number) { stopSignal.store(number); });
    // A signal handler may only set a flag; the loop looks at it a few times a second.
    constexpr int kSignalPollMs = 100;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, qApp, [session] {
        if (stopSignal.load() != 0)
            QCoreApplication::quit();
        else if (!session->hid.isWatchRunning())
            QCoreApplication::exit(kNoMouse);
    });
    poll.start(kSignalPollMs);
    const int status = QCoreApplication::exec();
    if (status == kNoMouse)
        return fail(kNoMouse, QStringLiteral("the mouse went away"));
    return kSuccess;
}

} // namespace

namespace {

// Where answers and reasons go: the terminal, or the buffers of a request forwarded to the configurator.
QByteArray* capturedOut = nullptr;
QByteArray* capturedErr = nullptr;

void emitLine(std::FILE* stream, QByteArray* captured, const QByteArray& line)
{
    if (captured != nullptr) {
        *captured += line + '\n';
        return;
    }
    std::fprintf(stream, "%s\n", line.constData());
    std::fflush(stream);
}

} // namespace

void captureOutput(QByteArray* out, QByteArray* err)
{
    capturedOut = out;
    capturedErr = err;
}

void Context::print(const QString& text, const QJsonObject& object) const
{
    emitLine(stdout, capturedOut,
             json ? QJsonDocument(object).toJson(QJsonDocument::Compact) : text.toUtf8());
}

int fail(int status, const QString& reason)
{
    notice(reason);
    return status;
}

void notice(const QString& text)
{
    emitLine(stderr, capturedErr, QStringLiteral("j2ctl: %1").arg(text).toUtf8());
}

const QList<Command>& commands()
{
    static const QList<Command> table{
        {"info", "", "what is connected and how it is set",
         "Shows the connected device (mouse or bootloader, ids, firmware version, scrambling), the current "
         "profile "
         "and DPI stage, the DPI stages with their values and colours, the polling rate and the lighting.",
         info},
        {"profile", "[N]", "show or switch the profile",
         "Without N shows the current profile (1-6). With N switches to profile N and sends it to the mouse "
         "as the "
         "window does after a profile switch.",
         profile},
        {"dpi", "[STAGE | set STAGE VALUE]", "show or change the DPI stages",
         "Without arguments shows the current DPI stage and the stages. With STAGE (1-7) makes it the "
         "current "
         "stage. With set STAGE VALUE sets the stage's DPI (200-16400 in steps of 100) as the DPI panel's "
         "Save "
         "does.",
         dpi},
        {"rate", "[125|250|500|1000]", "show or change the polling rate",
         "Without an argument shows the polling rate in reports a second; with one sets it as the polling "
         "rate "
         "panel's Save does.",
         rate},
        {"light", "[static|breath|rgb [LEVEL]]", "show or change the lighting",
         "Without arguments shows the lighting. With an effect sets it, at LEVEL 0-4 or, without one, at the "
         "level the lighting panel shows for it, as the panel's Save does.",
         light},
        {"export", "FILE", "save the current profile as a .pf file",
         "Writes the current profile to FILE, the file the window's profile export makes. The mouse need not "
         "be plugged in.",
         exportProfile},
        {"import", "FILE", "load a .pf file into the current profile",
         "Replaces the current profile with FILE, a file the window's profile export made, and sends it to "
         "the "
         "mouse as the window does after an import.",
         importProfile},
        {"watch", "", "print each DPI-button press",
         "Prints one line for each DPI-stage notification of the mouse (the stage and the notice text) until "
         "interrupted.",
         watch},
    };
    return table;
}

const Command* findCommand(const QString& name)
{
    for (const Command& command : commands())
        if (name == QLatin1String(command.name))
            return &command;
    return nullptr;
}

QString usageText()
{
    QString text = QStringLiteral("usage: j2ctl [--json] [--settings DIR] COMMAND [ARGUMENTS]\n\n"
                                  "Reads and changes the J2 mouse's settings from scripts and terminals.\n\n"
                                  "Commands:\n");
    for (const Command& command : commands())
        text +=
            QStringLiteral("  %1\n      %2\n").arg(synopsis(command), QString::fromLatin1(command.summary));
    text += QStringLiteral(
        "\nOptions:\n  --json          answers as one JSON object a line\n"
        "  --settings DIR  the configurator's settings root to use\n"
        "  --help          this text; COMMAND --help tells about one command\n\n"
        "Exit status: 0 done, 1 no mouse answered (or it could not be used), 2 bad arguments.\n");
    return text;
}

QString commandHelp(const Command& command)
{
    return QStringLiteral("usage: j2ctl [--json] %1\n\n%2\n")
        .arg(synopsis(command), QString::fromLatin1(command.help));
}

QString manPage()
{
    QString page =
        QStringLiteral(".TH J2CTL 1\n.SH NAME\nj2ctl \\- read and change the J2 mouse's settings\n"
                       ".SH SYNOPSIS\n.B j2ctl\n[\\-\\-json] [\\-\\-settings DIR] COMMAND [ARGUMENTS]\n"
                       ".SH DESCRIPTION\nThe command line beside the J2 configurator. While the "
                       "configurator runs, j2ctl leaves the mouse to it.\n.SH COMMANDS\n");
    for (const Command& command : commands())
        page += QStringLiteral(".TP\n.B %1\n%2\n")
                    .arg(synopsis(command).replace(QLatin1Char('-'), QStringLiteral("\\-")),
                         QString::fromLatin1(command.help).replace(QLatin1Char('-'), QStringLiteral("\\-")));
    page += QStringLiteral(".SH OPTIONS\n.TP\n.B \\-\\-json\nanswers as one JSON object a line\n.TP\n"
                           ".B \\-\\-settings DIR\nthe configurator's settings root to use\n"
                           ".SH EXIT STATUS\n0 done, 1 no mouse answered, 2 bad arguments.\n");
    return page;
}

QString bashCompletion()
{
    QStringList names;
    for (const Command& command : commands())
        names.append(QString::fromLatin1(command.name));
    return QStringLiteral(
               "# bash completion for j2ctl\n"
               "_j2ctl()\n{\n"
               "    local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD-1]}\n"
               "    case $previous in\n"
               "        rate) COMPREPLY=($(compgen -W \"125 250 500 1000\" -- \"$current\")); return ;;\n"
               "        light) COMPREPLY=($(compgen -W \"static breath rgb\" -- \"$current\")); return ;;\n"
               "        dpi) COMPREPLY=($(compgen -W \"set 1 2 3 4 5 6 7\" -- \"$current\")); return ;;\n"
               "        profile) COMPREPLY=($(compgen -W \"1 2 3 4 5 6\" -- \"$current\")); return ;;\n"
               "        export|import|--settings) COMPREPLY=($(compgen -f -- \"$current\")); return ;;\n"
               "    esac\n"
               "    COMPREPLY=($(compgen -W \"%1 --json --settings --help\" -- \"$current\"))\n"
               "}\ncomplete -F _j2ctl j2ctl\n")
        .arg(names.join(QLatin1Char(' ')));
}

QByteArray forwardRequest(const QString& command, const QStringList& arguments, bool json)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("command"), command},
                                     {QStringLiteral("arguments"), QJsonArray::fromStringList(arguments)},
                                     {QStringLiteral("json"), json}})
        .toJson(QJsonDocument::Compact);
}

QByteArray runForwarded(const QByteArray& request, Session* session, bool mouseAnswered)
{
    const QJsonObject fields = QJsonDocument::fromJson(request).object();
    QByteArray out;
    QByteArray err;
    captureOutput(&out, &err);
    int status = kBadArguments;
    const Command* command = findCommand(fields.value(QStringLiteral("command")).toString());
    if (command == nullptr) {
        fail(kBadArguments, QStringLiteral("the configurator does not know this request"));
    } else {
        Context context;
        context.json = fields.value(QStringLiteral("json")).toBool();
        for (const QJsonValue& argument : fields.value(QStringLiteral("arguments")).toArray())
            context.arguments.append(argument.toString());
        context.open = [session, mouseAnswered]() -> Session* {
            if (session == nullptr || !mouseAnswered) {
                fail(kNoMouse, QStringLiteral("no mouse answered the configurator"));
                return nullptr;
            }
            return session;
        };
        context.openSettings = [session]() -> Session* {
            if (session == nullptr)
                fail(kNoMouse, QStringLiteral("the configurator's settings are not ready yet"));
            return session;
        };
        status = command->handler(context);
    }
    captureOutput(nullptr, nullptr);
    return QJsonDocument(QJsonObject{{QStringLiteral("status"), status},
                                     {QStringLiteral("out"), QString::fromUtf8(out)},
                                     {QStringLiteral("err"), QString::fromUtf8(err)}})
        .toJson(QJsonDocument::Compact);
}

std::optional<int> printForwardedAnswer(const QByteArray& answer)
{
    const QJsonObject fields = QJsonDocument::fromJson(answer).object();
    if (!fields.value(QStringLiteral("status")).isDouble())
        return std::nullopt;
    std::fputs(fields.value(QStringLiteral("out")).toString().toUtf8().constData(), stdout);
    std::fputs(fields.value(QStringLiteral("err")).toString().toUtf8().constData(), stderr);
    std::fflush(stdout);
    return fields.value(QStringLiteral("status")).toInt();
}

} // namespace j2::cli
