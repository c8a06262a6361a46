// make-data-bin as a program: the files it writes are ones the updater takes, and wrong input ends with a
// non-zero exit and a message instead of a file.

#include "firmware_check.h"
#include "firmware_file.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kProgram = QStringLiteral(J2_MAKE_DATA_BIN_EXE);

struct Run
{
    int exitCode = -1;
    QString output;
    QString errors;
};

Run runTool(const QStringList& arguments)
{
    QProcess process;
    process.start(kProgram, arguments);
    Run run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QByteArray randomImage(int length)
{
    QByteArray image(length, '\0');
    QRandomGenerator random(quint32(length) * 7 + 3);
    for (char& byte : image)
        byte = char(random.bounded(256));
    return image;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestMakeDataBin : public QObject
{
    Q_OBJECT
private slots:
    void writesWhatTheUpdaterAccepts_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("imageLength");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("vendorId");
        QTest::addColumn<int>("productId");
        QTest::addColumn<int>("key1");
        QTest::addColumn<int>("key0");
        QTest::newRow("defaults: the virtual mouse, magic header, no keys")
            << QStringList() << 4000 << "Update" << 0x04D9 << 0xA100 << 0 << 0;
        QTest::newRow("every option") << QStringList{"--title", "J2 Firmware 2.0", "--vid", "0x1234", "--pid",
                                                     "ABCD",    "--key1",          "5a",    "--key0", "0x3C"}
                                      << 777 << "J2 Firmware 2.0" << 0x1234 << 0xABCD << 0x5A << 0x3C;
        QTest::newRow("image filling the flash") << QStringList{"--key0", "1"} << int(j2::isp::kFlashSize)
                                                 << "Update" << 0x04D9 << 0xA100 << 0 << 1;
    }
    void writesWhatTheUpdaterAccepts()
    {
        QFETCH(QStringList, options);
        QFETCH(int, imageLength);
        QFETCH(QString, title);
        QFETCH(int, vendorId);
        QFETCH(int, productId);
        QFETCH(int, key1);
        QFETCH(int, key0);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString imagePath = dir.filePath(QStringLiteral("firmware.raw"));
        const QString outPath = dir.filePath(QStringLiteral("data.bin"));
        const QByteArray image = randomImage(imageLength);
        QVERIFY(writeFile(imagePath, image));

        const Run run = runTool(QStringList{"--image", imagePath, "--out", outPath} + options);
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

        const j2::update::FirmwareLoad load = j2::update::loadFirmwareFile(outPath);
        QVERIFY(load.accepted());
        const j2::update::FirmwareImage& firmware = load.firmware;
        QCOMPARE(firmware.title, title);
        QCOMPARE(firmware.vendorId, quint16(vendorId));
        QCOMPARE(firmware.productId, quint16(productId));
        QCOMPARE(firmware.key1, quint8(key1));
        QCOMPARE(firmware.key0, quint8(key0));
        QVERIFY(firmware.image == image);

        // The checksum in the file is the one the updater's own check computes.
        j2::isp::IspLibrary library(nullptr);
        quint16 shown = 0;
        QVERIFY(j2::update::acceptFirmware(library, firmware, &shown));
        QCOMPARE(shown, firmware.checksum);
        QVERIFY(run.output.contains(QString::number(firmware.checksum, 16), Qt::CaseInsensitive));
    }

    void wrongInput_data()
    {
        QTest::addColumn<QStringList>("arguments"); // IMAGE and OUT stand for the paths of the row
        QTest::addColumn<int>("imageLength");       // -1: no image file
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QStringList paths{"--image", "IMAGE", "--out", "OUT"};
        QTest::newRow("no arguments") << QStringList() << -1 << 2 << "--image";
        QTest::newRow("unknown option") << paths + QStringList{"--colour", "red"} << 16 << 2 << "colour";
        QTest::newRow("stray argument") << paths + QStringList{"extra"} << 16 << 2 << "extra";
        QTest::newRow("vid not hex") << paths + QStringList{"--vid", "zz"} << 16 << 2 << "--vid";
        QTest::newRow("key1 too large") << paths + QStringList{"--key1", "100"} << 16 << 2 << "--key1";
        QTest::newRow("image missing") << paths << -1 << 1 << "cannot read";
        // Programming an empty image would erase the mouse and leave it without firmware.
        QTest::newRow("empty image") << paths + QStringList{"--key1", "ff"} << 0 << 1 << "is empty";
        QTest::newRow("image longer than the flash")
            << paths << int(j2::isp::kFlashSize) + 1 << 1 << "programming library refuses";
        QTest::newRow("image longer than a file holds")
            << paths << int(j2::update::kMaxImageSize) + 1 << 1 << "at most";
        QTest::newRow("output folder missing")
            << QStringList{"--image", "IMAGE", "--out", "OUT/missing/data.bin"} << 16 << 1 << "cannot write";
    }
    void wrongInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, imageLength);
        QFETCH(int, exitCode);
        QFETCH(QString, message);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString imagePath = dir.filePath(QStringLiteral("firmware.raw"));
        const QString outPath = dir.filePath(QStringLiteral("data.bin"));
        if (imageLength >= 0)
            QVERIFY(writeFile(imagePath, randomImage(imageLength)));
        for (QString& argument : arguments) {
            argument.replace(QLatin1String("IMAGE"), imagePath);
            argument.replace(QLatin1String("OUT"), outPath);
        }

        const Run run = runTool(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QVERIFY(!QFile::exists(outPath));
    }
};

QTEST_GUILESS_MAIN(TestMakeDataBin)
#include "test_make_data_bin.moc"
