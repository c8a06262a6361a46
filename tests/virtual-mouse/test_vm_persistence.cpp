// What the model leaves on disk: the state file across instances, and the wire log as JSON lines.

#include "host.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace vmtest;
using j2::vm::VirtualMouse;

namespace {

int modeOf(const QString& path)
{
    struct stat info
    {};
    if (::stat(path.toLocal8Bit().constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

} // namespace

class TestVmPersistence : public QObject
{
    Q_OBJECT

private slots:
    void stateSurvivesNewInstance();
    void optionsDecideScrambling();
    void unreadableStateFileIsKept_data();
    void unreadableStateFileIsKept();
    void jsonRoundTrip();
    void wireLogLinesParse();
};

void TestVmPersistence::stateSurvivesNewInstance()
{
    QTemporaryDir dir;
    VirtualMouse::Options options;
    options.stateFile = dir.filePath("state.json").toStdString();
    j2::vm::DeviceState written;
    {
        VirtualMouse mouse(options);
        auto backend = j2::vm::makeInProcessBackend(mouse);
        Host host(*backend);
        QVERIFY(host.writeBulk(request(0x0C, {0x07, 0x80}), pattern(128, 4)));
        QVERIFY(host.writeBulk(request(0x0D, {0x02, 0x80}), pattern(128, 5)));
        QVERIFY(host.writeBulk(request(0x07, {0x03, 0x01, 0x02, 0x03}), {}, false));
        mouse.pressDpiButton();
        written = mouse.state();
    }
    QCOMPARE(modeOf(dir.filePath("state.json")), 0600);

    VirtualMouse again(options);
    QVERIFY(again.state() == written);
    QCOMPARE(again.state().currentDpiStage, std::uint8_t(2));
    QCOMPARE(again.state().profiles[7][0], pattern(128, 4)[0]);
}

void TestVmPersistence::optionsDecideScrambling()
{
    QTemporaryDir dir;
    VirtualMouse::Options options;
    options.stateFile = dir.filePath("state.json").toStdString();
    options.encode = true;
    options.secrecyCode = "ZZ9999";
    {
        VirtualMouse mouse(options);
        QVERIFY(mouse.state().encode);
    }
    options.encode = false;
    options.secrecyCode = "short";
    VirtualMouse mouse(options);
    QVERIFY(!mouse.state().encode);
    QCOMPARE(mouse.state().secrecyCode, std::string("260417")); // not six characters: the factory code
}

void TestVmPersistence::unreadableStateFileIsKept_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not JSON") << QByteArray("{ this is not json");
    QTest::newRow("short hex") << QByteArray(R"({"dpiSet": "0102"})");
    QTest::newRow("not hex") << QByteArray(R"({"gunData": "zz00000000"})");
    QTest::newRow("too few profiles") << QByteArray(R"({"profiles": []})");
    QTest::newRow("stage out of byte range") << QByteArray(R"({"currentDpiStage": 300})");
    QTest::newRow("an array") << QByteArray("[1, 2]");
    QTest::newRow("key table index") << QByteArray(R"({"keyMatrix": {"x": "00"}})");
    QTest::newRow("encode as text") << QByteArray(R"({"encode": "yes"})");
}

void TestVmPersistence::unreadableStateFileIsKept()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QFile file(dir.filePath("state.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    VirtualMouse::Options options;
    options.stateFile = file.fileName().toStdString();
    VirtualMouse mouse(options);
    QVERIFY(mouse.state() == j2::vm::DeviceState::factory());
    mouse.pressDpiButton();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content); // the user's file is not overwritten
}

void TestVmPersistence::jsonRoundTrip()
{
    j2::vm::DeviceState state = j2::vm::DeviceState::factory();
    state.ledInstruction[4] = {1, 2, 3};
    state.keyMatrix[2].fill(0x5A);
    state.macros[63].fill(0xC3);
    state.userPictures[7][511] = 0x01;
    state.encode = true;
    state.secrecyCode = "a\"b\\c!";
    j2::vm::DeviceState parsed;
    std::string error;
    QVERIFY2(j2::vm::stateFromJson(j2::vm::stateToJson(state), parsed, &error), error.c_str());
    QVERIFY(parsed == state);

    // Missing fields keep what the target had.
    j2::vm::DeviceState partial = j2::vm::DeviceState::factory();
    QVERIFY(j2::vm::stateFromJson(R"({"currentProfile": 3})", partial));
    QCOMPARE(partial.currentProfile, std::uint8_t(3));
    QVERIFY(partial.dpiSet == j2::vm::DeviceState::factory().dpiSet);
}

void TestVmPersistence::wireLogLinesParse()
{
    QTemporaryDir dir;
    VirtualMouse::Options options;
    options.wireLogFile = dir.filePath("wire.jsonl").toStdString();
    options.encode = true;
    VirtualMouse mouse(options);
    auto backend = j2::vm::makeInProcessBackend(mouse);
    Host host(*backend);
    host.encode = true;
    host.code = codeOf("260417");
    QVERIFY(host.writeBulk(request(0x01, {0x08}), {}, false));
    QVERIFY(host.writeBulk(request(0x10, {0x02, 0x04}), pattern(4, 1)));
    QVERIFY(host.readBulk(request(0x90, {0x02}), 4));
    mouse.pressDpiButton();
    std::uint8_t note[4];
    QCOMPARE(backend->openPath(j2::vm::kNotifyPath)->readTimeout(note, 4, 500), 4);

    QCOMPARE(modeOf(dir.filePath("wire.jsonl")), 0600);
    QFile file(dir.filePath("wire.jsonl"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    const std::vector<j2::vm::WireEntry> entries = mouse.wireLog();
    QCOMPARE(lines.size(), qsizetype(entries.size() + 1)); // the last line break leaves an empty tail
    QVERIFY(lines.back().isEmpty());

    double previous = -1;
    QStringList kinds;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        QJsonParseError error;
        const QJsonObject line = QJsonDocument::fromJson(lines[i], &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, lines[i].constData());
        const auto& entry = entries[std::size_t(i)];
        QVERIFY(line.value("t").toDouble() >= previous);
        previous = line.value("t").toDouble();
        QCOMPARE(line.value("dir").toString(), QString(entry.toDevice ? "out" : "in"));
        QCOMPARE(line.value("cmd").toString().toStdString(), entry.command);
        QCOMPARE(line.value("bytes").toString().toLatin1(), hex(entry.bytes.data(), entry.bytes.size()));
        QCOMPARE(line.value("note").toString(), QString());
        kinds << line.value("if").toString() + "/" + line.value("kind").toString();
    }
    QCOMPARE(kinds,
             QStringList({"control/feature-set", "control/feature-set", "control/output",
                          "control/feature-set", "control/feature-get", "control/input", "notify/input"}));
    const QJsonObject output = QJsonDocument::fromJson(lines[2]).object();
    QCOMPARE(output.value("cmd").toString(), QString("SetLED8StageColor"));
    QCOMPARE(output.value("bytes").toString().left(10).toLatin1(), "00" + hex(pattern(4, 1).data(), 4));
}

QTEST_GUILESS_MAIN(TestVmPersistence)
#include "test_vm_persistence.moc"
