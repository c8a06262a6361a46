// The updater's window and flow against the in-process virtual mouse: start-up with a firmware file and
// with a missing or refused one, the mouse already in its bootloader, user mode then Update with a plain
// and a scrambling mouse, unplugging in the middle, failed runs and their retries, and the automatic update
// of the next mouse plugged in. Device notifications come from the virtual mouse's cable, as in the program.

#include "firmware_file.h"
#include "isp_library.h"
#include "updater_window.h"
#include "virtual_mouse.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using j2::update::UpdaterHid;
using j2::update::Widget;

Q_DECLARE_METATYPE(j2::vm::BootloaderStep)

namespace {

constexpr int kPages = 128;
constexpr int kPageBytes = 512;
// Long enough for a whole run (with the virtual mouse's re-enumeration) or two retries 5 s apart.
constexpr int kRunTimeoutMs = 20000;

QByteArray randomImage(qsizetype size)
{
    QByteArray image(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (char& byte : image)
        byte = char(generator.bounded(256));
    return image;
}

// What the flash must hold after programming `image`: the image, then erased bytes.
QByteArray flashOf(const QByteArray& image)
{
    return image + QByteArray(kPages * kPageBytes - image.size(), char(0xFF));
}

QByteArray flashIn(const j2::vm::VirtualMouse& mouse)
{
    const auto& flash = mouse.state().firmware.flash;
    return QByteArray(reinterpret_cast<const char*>(flash.data()), qsizetype(flash.size()));
}

// The secrecy-code queries on the wire: command 00H, always sent in plain.
int secrecyQueries(const j2::vm::VirtualMouse& mouse)
{
    int count = 0;
    for (const j2::vm::WireEntry& entry : mouse.wireLog())
        count += entry.toDevice && entry.kind == "feature-set" && entry.iface == j2::vm::Interface::Control &&
                         entry.bytes.size() > 1 && entry.bytes[1] == 0x00
                     ? 1
                     : 0;
    return count;
}

} // namespace

class TestUpdaterFlow : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir folder;
    QByteArray image = randomImage(20000);
    std::unique_ptr<j2::vm::VirtualMouse> mouse;
    std::shared_ptr<j2::hid::Backend> backend;
    std::unique_ptr<Widget> window;
    int listener = -1;
    quint16 checksum = 0;

    QString firmwarePath() const { return folder.filePath(QStringLiteral("data.bin")); }

    void writeFirmware(const QByteArray& bytes)
    {
        QFile file(firmwarePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void writeGoodFirmware(quint8 key1 = 0x5A, quint8 key0 = 0xC3, quint16 productId = 0xa100)
    {
        j2::update::FirmwareImage firmware;
        firmware.vendorId = 0x04d9;
        firmware.productId = productId;
        firmware.key1 = key1;
        firmware.key0 = key0;
        firmware.image = image;
        // The checksum the programming library computes for the image, as the shipped tool writes it.
        j2::isp::IspLibrary offline(nullptr);
        QCOMPARE(offline.LoadProgdata(reinterpret_cast<const std::uint8_t*>(image.constData()),
                                      std::uint32_t(image.size()), nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr),
                 0);
        firmware.checksum = offline.GetChksum(1);
        checksum = firmware.checksum;
        writeFirmware(j2::update::buildFirmwareFile(firmware));
    }

    void startMouse(j2::vm::VirtualMouse::Options options = {})
    {
        mouse = std::make_unique<j2::vm::VirtualMouse>(options);
        backend = std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(*mouse));
    }

    void startUpdater()
    {
        window = std::make_unique<Widget>(backend, firmwarePath());
        Widget* target = window.get();
        listener = mouse->addPlugListener([target](bool) {
            QMetaObject::invokeMethod(target, &Widget::devicesChanged, Qt::QueuedConnection);
        });
    }

    QPushButton* button(const QString& text) const
    {
        for (QPushButton* candidate : window->findChildren<QPushButton*>())
            if (candidate->text() == text)
                return candidate;
        return nullptr;
    }

private slots:
    void init() { QVERIFY(folder.isValid()); }

    void cleanup()
    {
        if (mouse && listener >= 0)
            mouse->removePlugListener(listener);
        listener = -1;
        window.reset();
        backend.reset();
        mouse.reset();
    }

    void missingOrRefusedFileKeepsUpdateDisabled_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("title");
        QByteArray header(120, '\0');
        header.replace(0, 9, "Mouse fw!");
        QTest::newRow("no file") << QByteArray() << QString();
        QTest::newRow("refusal marker")
            << header + QByteArray(5, char(0xFF)) + QByteArray(20, '\0') << QStringLiteral("Mouse fw!");
        QTest::newRow("checksum wrong")
            << header + QByteArray::fromHex("04d9a1000000040000000001020304") << QStringLiteral("Mouse fw!");
        // Its checksum (0000, an all-FF flash) would match: programming it would wipe the firmware.
        QTest::newRow("empty image") << header + QByteArray::fromHex("04d9a10000000000000000")
                                     << QStringLiteral("Mouse fw!");
    }
    void missingOrRefusedFileKeepsUpdateDisabled()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, title);
        QFile::remove(firmwarePath());
        if (!file.isEmpty())
            writeFirmware(file);
        startMouse();
        startUpdater();
        QCOMPARE(window->updateState, Widget::UpdateState::NotReady);
        QVERIFY(!window->updateEnabled());
        QCOMPARE(window->statusText(), QStringLiteral("Error:"));
        if (!title.isEmpty())
            QCOMPARE(window->windowTitle(), title);
    }

    void bootloaderAtStartUpIsReadyAndUpdates()
    {
        writeGoodFirmware();
        j2::vm::VirtualMouse::Options options;
        options.startInBootloader = true;
        startMouse(options);
        startUpdater();
        QCOMPARE(window->windowTitle(), QStringLiteral("Update"));
        QCOMPARE(window->updateState, Widget::UpdateState::BootloaderPresent);
        QCOMPARE(window->statusText(), QStringLiteral("Ready To Update!"));
        QVERIFY(window->updateEnabled());
        QCOMPARE(window->progressMaximum(), 3 * kPages + 2);
        QCOMPARE(window->checksumText(), QString::number(checksum, 16).toUpper());

        button(QStringLiteral("Update"))->click();
        QCOMPARE(window->statusText(), QStringLiteral("Update Success!"));
        QCOMPARE(window->progress(), 3 * kPages + 2);
        QCOMPARE(window->updateState, Widget::UpdateState::Done);
        QCOMPARE(flashIn(*mouse), flashOf(image));
        QVERIFY(mouse->state().firmware.locked);
        // The mouse comes back in user mode: the flow waits for the next one.
        QTRY_COMPARE(window->updateState, Widget::UpdateState::Idle);
        QVERIFY(window->autoStart);
        QVERIFY(window->exitEnabled());
    }

    void userModeThenUpdate_data()
    {
        QTest::addColumn<bool>("scrambling");
        QTest::addColumn<int>("failedOpens");
        QTest::newRow("plain mouse") << false << 0;
        QTest::newRow("scrambling mouse") << true << 0;
        // The mouse is looked up again: one failed open must not leave Update doing nothing.
        QTest::newRow("plain mouse, one failed open") << false << 1;
    }
    void userModeThenUpdate()
    {
        QFETCH(bool, scrambling);
        QFETCH(int, failedOpens);
        writeGoodFirmware();
        j2::vm::VirtualMouse::Options options;
        options.encode = scrambling;
        options.secrecyCode = "918273";
        startMouse(options);
        startUpdater();
        QCOMPARE(window->updateState, Widget::UpdateState::UserModePresent);
        QCOMPARE(window->statusText(), QStringLiteral("Connected to the Device!"));
        QVERIFY(window->updateEnabled());

        mouse->failNextOpens(failedOpens);
        button(QStringLiteral("Update"))->click();
        QCOMPARE(secrecyQueries(*mouse), 1);
        QTRY_COMPARE_WITH_TIMEOUT(window->statusText(), QStringLiteral("Update Success!"), kRunTimeoutMs);
        QCOMPARE(window->progress(), 3 * kPages + 2);
        QCOMPARE(flashIn(*mouse), flashOf(image));
        QCOMPARE(mouse->checksumErrors(), 0);
        QTRY_COMPARE(window->updateState, Widget::UpdateState::Idle);
    }

    void unplugAndReplugInUserModeChangesNothing()
    {
        writeGoodFirmware();
        startMouse();
        startUpdater();
        QCOMPARE(window->updateState, Widget::UpdateState::UserModePresent);
        mouse->unplug();
        QTRY_COMPARE(window->deviceIndex, UpdaterHid::Face::NoDevice);
        QCOMPARE(window->updateState, Widget::UpdateState::UserModePresent);
        mouse->plug();
        QTRY_COMPARE(window->deviceIndex, UpdaterHid::Face::UserMode);
        QCOMPARE(window->updateState, Widget::UpdateState::UserModePresent);
        QCOMPARE(window->statusText(), QStringLiteral("Connected to the Device!"));
        QVERIFY(!mouse->state().firmware.bootloaderMode);
    }

    void failedRunsAreRetriedTwiceThenFail()
    {
        writeGoodFirmware();
        j2::vm::VirtualMouse::Options options;
        options.startInBootloader = true;
        startMouse(options);
        const QByteArray before = flashIn(*mouse);
        startUpdater();
        mouse->failNextErases(3);
        QElapsedTimer clock;
        clock.start();
        button(QStringLiteral("Update"))->click();
        QVERIFY(!window->updateEnabled());
        QVERIFY(!window->exitEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(window->statusText(), QStringLiteral("Update Fail!"), kRunTimeoutMs);
        QVERIFY(clock.elapsed() >= 2 * Widget::kRetryDelayMs);
        QCOMPARE(window->updateState, Widget::UpdateState::NotReady);
        QCOMPARE(window->retryCount, 3);
        QVERIFY(window->exitEnabled());
        QVERIFY(!window->updateEnabled());
        QCOMPARE(flashIn(*mouse), before); // the first page never erased, nothing else touched
    }

    // Each step's failure ends the run with its own text, whatever the bootloader's status code; the run
    // is retried later (not waited for here) and nothing is reported as success.
    void failedStepIsNamed_data()
    {
        QTest::addColumn<j2::vm::BootloaderStep>("step");
        QTest::addColumn<QString>("error");
        QTest::newRow("erase") << j2::vm::BootloaderStep::Erase << "Erase Error";
        QTest::newRow("blank check") << j2::vm::BootloaderStep::BlankCheck << "BlankCheck Error";
        QTest::newRow("program") << j2::vm::BootloaderStep::Program << "Program Error";
        QTest::newRow("verify") << j2::vm::BootloaderStep::Verify << "Verify Error";
        QTest::newRow("lock") << j2::vm::BootloaderStep::Lock << "Lock Error";
    }
    void failedStepIsNamed()
    {
        QFETCH(j2::vm::BootloaderStep, step);
        QFETCH(QString, error);
        writeGoodFirmware();
        j2::vm::VirtualMouse::Options options;
        options.startInBootloader = true;
        startMouse(options);
        startUpdater();
        mouse->failNextSteps(step, 1);
        QTest::ignoreMessage(QtDebugMsg, error.toLatin1().constData());
        button(QStringLiteral("Update"))->click();
        QCOMPARE(window->retryCount, 1);
        QCOMPARE(window->updateState, Widget::UpdateState::BootloaderPresent);
        QVERIFY(window->statusText() != QStringLiteral("Update Success!"));
        QVERIFY(!mouse->state().firmware.locked);
        QVERIFY(mouse->state().firmware.bootloaderMode);
    }

    // A data.bin for another device is never written, not even to a mouse waiting in its bootloader.
    void firmwareForAnotherDeviceIsRefused()
    {
        writeGoodFirmware(0x5A, 0xC3, 0xa101);
        j2::vm::VirtualMouse::Options options;
        options.startInBootloader = true;
        startMouse(options);
        const QByteArray before = flashIn(*mouse);
        startUpdater();
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("data.bin is for 04d9:a101, but the bootloader "
                                                            "belongs to 04d9:a100"));
        button(QStringLiteral("Update"))->click();
        QVERIFY(!window->updateEnabled());
        QVERIFY(window->exitEnabled());
        QCOMPARE(window->updateState, Widget::UpdateState::NotReady);
        QCOMPARE(flashIn(*mouse), before);
        QCOMPARE(window->retryCount, 0);
    }

    void aFailedRunThatRecoversSucceeds()
    {
        writeGoodFirmware();
        j2::vm::VirtualMouse::Options options;
        options.startInBootloader = true;
        startMouse(options);
        startUpdater();
        mouse->failNextErases(2);
        button(QStringLiteral("Update"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(window->statusText(), QStringLiteral("Update Success!"), kRunTimeoutMs);
        QCOMPARE(window->retryCount, 0);
        QCOMPARE(flashIn(*mouse), flashOf(image));
    }

    // Pulling the cable in the middle of programming ends that run; the mouse comes back in its bootloader
    // and the retry programs it.
    void unplugDuringProgrammingIsRetried()
    {
        writeGoodFirmware();
        j2::vm::VirtualMouse::Options options;
        options.startInBootloader = true;
        startMouse(options);
        startUpdater();
        mouse->unplugAfterBulkReports(kPages * 2 + 40);
        QElapsedTimer clock;
        clock.start();
        button(QStringLiteral("Update"))->click();
        QVERIFY(clock.elapsed() < kRunTimeoutMs);
        QVERIFY(window->statusText() != QStringLiteral("Update Success!"));
        QCOMPARE(window->retryCount, 1);
        QVERIFY(!mouse->pluggedIn());
        mouse->plug();
        QTRY_COMPARE_WITH_TIMEOUT(window->statusText(), QStringLiteral("Update Success!"), kRunTimeoutMs);
        QCOMPARE(flashIn(*mouse), flashOf(image));
    }

    // After one success the next mouse plugged in is updated by itself, 3 s later, without asking its code
    // unless its entry is refused: a scrambling mouse after a plain one needs it. An entry that fails four
    // times gives the Update button back.
    void nextMouseIsUpdatedByItself_data()
    {
        QTest::addColumn<bool>("scrambling");
        QTest::addColumn<int>("failedOpens");
        QTest::addColumn<int>("codeQueries");
        QTest::newRow("the same kind of mouse") << false << 0 << 0;
        QTest::newRow("a scrambling mouse after a plain one") << true << 0 << 1;
        QTest::newRow("a mouse that will not open") << false << 1000 << 1;
    }
    void nextMouseIsUpdatedByItself()
    {
        QFETCH(bool, scrambling);
        QFETCH(int, failedOpens);
        QFETCH(int, codeQueries);
        writeGoodFirmware();
        j2::vm::VirtualMouse::Options options;
        options.startInBootloader = true;
        startMouse(options);
        startUpdater();
        button(QStringLiteral("Update"))->click();
        QTRY_COMPARE(window->updateState, Widget::UpdateState::Idle);
        QVERIFY(window->autoStart);

        mouse->unplug();
        QTRY_COMPARE(window->deviceIndex, UpdaterHid::Face::NoDevice);
        // Another mouse: the old firmware again.
        j2::vm::DeviceState fresh = mouse->state();
        fresh.firmware = j2::vm::FirmwareState::factory();
        fresh.encode = scrambling;
        mouse->setState(fresh);
        mouse->clearWireLog();
        QElapsedTimer clock;
        clock.start();
        mouse->plug();
        QTRY_COMPARE(window->updateState, Widget::UpdateState::UserModePresent);
        QVERIFY(!window->updateEnabled());
        mouse->failNextOpens(failedOpens);
        if (failedOpens == 0) {
            QTRY_COMPARE_WITH_TIMEOUT(window->statusText(), QStringLiteral("Enter the bootloader mode..."),
                                      kRunTimeoutMs);
            QVERIFY(clock.elapsed() >= Widget::kAutoStartDelayMs - 100);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(window->updateEnabled(), kRunTimeoutMs);
            QVERIFY(clock.elapsed() >= Widget::kAutoStartDelayMs - 100);
            QCOMPARE(window->statusText(), QStringLiteral("Connected to the Device!"));
            QCOMPARE(window->updateState, Widget::UpdateState::UserModePresent);
            mouse->clearFaults();
            button(QStringLiteral("Update"))->click();
        }
        QTRY_COMPARE_WITH_TIMEOUT(window->statusText(), QStringLiteral("Update Success!"), kRunTimeoutMs);
        QCOMPARE(flashIn(*mouse), flashOf(image));
        QCOMPARE(secrecyQueries(*mouse), codeQueries);
        // The 0A and 8A of the one entry sent with the old mouse's scrambling.
        QCOMPARE(mouse->checksumErrors(), scrambling ? 2 : 0);
    }
};

QTEST_MAIN(TestUpdaterFlow)
#include "test_updater_flow.moc"
