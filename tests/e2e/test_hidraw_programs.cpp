// The configurator and the updater on the real HID stack: no virtual mouse backend, the unmodified hidapi
// library opening /dev/hidraw0, behind which the emulated hidraw mouse answers (CTest runs this test inside
// scripts/with-hidraw-mouse.sh). The device model's wire log and state are the oracle.

#include "../device/hidraw_rig.h"
#include "desktop.h"
#include "key_names.h"
#include "page_encoders.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <memory>

namespace {

const QString kDist = QStringLiteral(J2_DIST_DIR);
constexpr int kBlockBytes = 128;
constexpr int kReportLength = 64;
constexpr qsizetype kFlashBytes = 128 * 512;
constexpr int kMacroSlotOfKey5 = 6;
// A user no test runs as: the owner of a node the configurator may not open.
const QString kOtherUser = QStringLiteral("4242");

QByteArray bytesOf(const QJsonObject& entry)
{
    return QByteArray::fromHex(entry.value(QStringLiteral("bytes")).toString().toLatin1());
}

// The data the host wrote with `command`'s output reports, one bulk phase per entry, in order.
QList<QByteArray> bulkWrites(const QList<QJsonObject>& log, const QString& command)
{
    QList<QByteArray> phases;
    bool inPhase = false;
    for (const QJsonObject& entry : log) {
        const QString kind = entry.value(QStringLiteral("kind")).toString();
        const bool ours = entry.value(QStringLiteral("cmd")).toString() == command;
        if (kind == QLatin1String("feature-set")) {
            inPhase = ours;
            if (ours)
                phases.append(QByteArray());
        } else if (kind == QLatin1String("output") && inPhase && ours) {
            phases.last() += bytesOf(entry).mid(1, kReportLength);
        }
    }
    return phases;
}

} // namespace

class TestHidrawPrograms : public ProgramTest
{
    Q_OBJECT
public:
    TestHidrawPrograms() : ProgramTest(kDist) {}

private:
    QString wireLog() const { return home->filePath(QStringLiteral("wire.jsonl")); }

    void startMouse(const QStringList& extra = {})
    {
        daemon = std::make_unique<MouseDaemon>(dist + QStringLiteral("/j2-hidraw-mouse"), socketPath,
                                               environment(), dist + QStringLiteral("/j2-virtual-mouse"));
        QVERIFY2(daemon->start(QStringList{QStringLiteral("--wire-log"), wireLog()} + extra),
                 qPrintable(daemon->log()));
    }

    // What the programs run with here: the hidapi backend, the real library, and nothing fenced off.
    QProcessEnvironment realStack() const
    {
        QProcessEnvironment real = environment();
        real.remove(QStringLiteral("J2_VIRTUAL_MOUSE"));
        real.remove(QStringLiteral("J2_FORBID_HIDAPI"));
        return real;
    }

    QList<QJsonObject> wireEntries() const
    {
        QList<QJsonObject> entries;
        QFile file(wireLog());
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& line : file.readAll().split('\n'))
                if (!line.trimmed().isEmpty())
                    entries.append(QJsonDocument::fromJson(line).object());
        return entries;
    }

    QJsonObject state() const { return QJsonDocument::fromJson(daemon->ctlOutput({"dump"})).object(); }

private slots:
    void initTestCase() { QVERIFY(startDesktop()); }

    void init() { QVERIFY(makeHome(QStringLiteral("hidraw-mouse.sock"))); }

    void cleanup()
    {
        daemon.reset();
        home.reset();
    }

    void configuratorRunsOnTheRealStack()
    {
        // Profile blocks nobody else would have: what the program writes back must have been read from here.
        QByteArray block(kBlockBytes, 0);
        for (int i = 0; i < kBlockBytes; ++i)
            block[i] = char(i * 7 + 3);
        const QString stateFile = home->filePath(QStringLiteral("state.json"));
        {
            QJsonArray blocks;
            for (int i = 0; i < 8; ++i)
                blocks.append(QString::fromLatin1(block.toHex()));
            QFile file(stateFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QJsonDocument(QJsonObject{{QStringLiteral("profiles"), blocks}}).toJson());
        }
        startMouse({QStringLiteral("--state"), stateFile});

        QProcessEnvironment traced = realStack();
        traced.insert(QStringLiteral("J2_TRACE_STARTUP"), QStringLiteral("1"));
        Program program(traced);
        program.start(installDir + QStringLiteral("/configurator"), {});
        QVERIFY2(program.waitFor(QStringLiteral("Detect Mouse"), 15000) >= 0, qPrintable(program.log()));

        // The handshake and the profile reads travelled through hidraw: the block the program writes back
        // at start-up is the one it read, byte for byte where it does not patch it.
        QVERIFY(waitForNotificationsOn());
        QTRY_VERIFY_WITH_TIMEOUT(
            bulkWrites(wireEntries(), QStringLiteral("setProfile")).value(0).size() == kBlockBytes, 10000);
        const QByteArray written = bulkWrites(wireEntries(), QStringLiteral("setProfile")).first();
        QCOMPARE(written.size(), kBlockBytes);
        int same = 0;
        for (int i = 0; i < kBlockBytes; ++i)
            same += written[i] == block[i] ? 1 : 0;
        QVERIFY2(same > kBlockBytes - 8, qPrintable(written.toHex(' ')));

        QVERIFY(daemon->ctl(QStringLiteral("press-dpi")));
        QVERIFY2(program.waitFor(QStringLiteral("DPI Switch to"), 5000) >= 0, qPrintable(program.log()));

        // A change the user makes reaches the device as the program sent it.
        recordMacroOnButton4(program);
        rebuildKeyNameMap();
        QByteArray expected;
        for (uchar byte : macro_stream::deCode({{macro_stream::KeyPress, QStringLiteral("A")},
                                                {macro_stream::KeyRelease, QStringLiteral("A")},
                                                {macro_stream::KeyPress, QStringLiteral("B")},
                                                {macro_stream::KeyRelease, QStringLiteral("B")}},
                                               1))
            expected.append(char(byte));
        QTRY_VERIFY_WITH_TIMEOUT(
            QByteArray::fromHex(
                state().value(QStringLiteral("macros")).toArray().at(kMacroSlotOfKey5).toString().toLatin1())
                .startsWith(expected),
            5000);
        const QByteArray slot = QByteArray::fromHex(
            state().value(QStringLiteral("macros")).toArray().at(kMacroSlotOfKey5).toString().toLatin1());
        QVERIFY(bulkWrites(wireEntries(), QStringLiteral("SetMacroKey")).contains(slot));

        // Unplugged, the watch ends; plugged in again, the udev event brings detection back.
        QVERIFY(daemon->ctl(QStringLiteral("unplug")));
        QVERIFY2(program.waitFor(QStringLiteral("Device removed"), 3000) >= 0, qPrintable(program.log()));
        QVERIFY(daemon->ctl(QStringLiteral("plug")));
        QVERIFY2(program.waitFor(QStringLiteral("Detect Mouse"), 8000, 2) >= 0, qPrintable(program.log()));
        // The mouse kept its notifications switched on through the unplug, so that state cannot tell when the
        // program listens again; its watch opens the node a moment after "Detect Mouse". A press before that
        // goes unheard, as the first press of a person that quick would: press again until one is heard.
        bool heard = false;
        for (int press = 0; press < 5 && !heard; ++press) {
            QVERIFY(daemon->ctl(QStringLiteral("press-dpi")));
            heard = program.waitFor(QStringLiteral("DPI Switch to"), 1000, 2) >= 0;
        }
        QVERIFY2(heard, qPrintable(program.log()));
    }

    // A node of another user's, mode 0600, and a configurator without root's power to override that: one
    // notice with hidapi's reason and the fix, however often the device comes and goes, and an idle program.
    void refusedNodeIsToldOnce()
    {
        startMouse({QStringLiteral("--node-mode"), QStringLiteral("0600"), QStringLiteral("--node-owner"),
                    kOtherUser});
        Program program(realStack());
        program.start(QStringLiteral("setpriv"),
                      {QStringLiteral("--bounding-set=-dac_override,-dac_read_search"),
                       installDir + QStringLiteral("/configurator")});
        const QString notice = QStringLiteral("cannot be opened");
        QVERIFY2(program.waitFor(notice, 15000) >= 0, qPrintable(program.log()));
        QVERIFY(daemon->ctl(QStringLiteral("unplug")));
        QVERIFY(daemon->ctl(QStringLiteral("plug")));
        QVERIFY2(program.waitFor(QStringLiteral("Device Error"), 8000, 2) >= 0, qPrintable(program.log()));

        const QString log = program.log();
        QCOMPARE(log.count(notice), 1);
        QVERIFY(log.contains(QStringLiteral("'/dev/hidraw0': Permission denied")));
        QVERIFY(log.contains(QStringLiteral("70-j2-mouse.rules")));
        QVERIFY(!log.contains(QStringLiteral("Detect Mouse")));
        // No busy loop: over two idle seconds the program uses a small part of one.
        const auto cpuTicks = [&] {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(program.process.processId()));
            if (!stat.open(QIODevice::ReadOnly))
                return -1LL;
            const QList<QByteArray> fields = stat.readAll().split(')').value(1).split(' ');
            return fields.value(12).toLongLong() + fields.value(13).toLongLong(); // utime, stime
        };
        const long long before = cpuTicks();
        QTest::qWait(2000);
        const long long used = cpuTicks() - before;
        QVERIFY2(before >= 0 && used < 40, qPrintable(QString::number(used)));
        QCOMPARE(program.process.state(), QProcess::Running);
    }

    // The updater switches the mouse into its bootloader (the node is replaced), programs and verifies it,
    // and the mouse comes back in user mode holding the image.
    void updaterProgramsThroughTheRealStack()
    {
        startMouse({QStringLiteral("--encode"), QStringLiteral("--secrecy-code"), QStringLiteral("918273")});
        const QByteArray image = makeFirmware(30000, 11);
        QVERIFY(!image.isEmpty());

        Program updater(realStack());
        updater.start(installDir + QStringLiteral("/update/update"), {}, installDir);
        QVERIFY2(updater.waitFor(QStringLiteral("Connected to the Device!"), 15000) >= 0,
                 qPrintable(updater.log()));
        const QString window = desktop->waitForWindow(QStringLiteral("Update"));
        QVERIFY(!window.isEmpty());
        desktop->run(QStringLiteral("xdotool"),
                     {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
        desktop->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("space")});
        QVERIFY2(updater.waitFor(QStringLiteral("Update Success"), 60000) >= 0, qPrintable(updater.log()));

        const QJsonObject after = state();
        const QByteArray flash =
            QByteArray::fromHex(after.value(QStringLiteral("flash")).toString().toLatin1());
        QCOMPARE(flash.size(), kFlashBytes);
        QCOMPARE(flash.left(image.size()), image);
        // The bootloader spoke on a node of its own, and the mouse is back in user mode.
        bool bootloaderSpoke = false;
        for (const QJsonObject& entry : wireEntries())
            bootloaderSpoke |= entry.value(QStringLiteral("if")).toString() == QLatin1String("bootloader");
        QVERIFY(bootloaderSpoke);
        QTRY_VERIFY_WITH_TIMEOUT(!state().value(QStringLiteral("bootloaderMode")).toBool(), 5000);
    }
};

int main(int argc, char* argv[])
{
    if (!hidraw_rig::insideNamespace())
        return 77;
    const QString missing = Desktop::missingTool();
    if (!missing.isEmpty()) {
        std::printf("SKIP: %s is not installed; the whole-program tests need Xvfb, trayer and xdotool\n",
                    qPrintable(missing));
        return 77;
    }
    QCoreApplication app(argc, argv);
    TestHidrawPrograms test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hidraw_programs.moc"
