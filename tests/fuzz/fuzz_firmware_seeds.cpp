// Writes the starting corpus of the firmware file fuzzer into the folder named on the command line: files
// the writer makes (both header kinds, keys, lengths) and hand-cut faults near every boundary the parser
// checks.

#include "firmware_file.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool save(const QDir& folder, const QString& name, const QByteArray& bytes)
{
    QFile file(folder.filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray pattern(qsizetype length)
{
    QByteArray bytes(length, '\0');
    for (qsizetype i = 0; i < length; ++i)
        bytes[i] = char(i * 31 + 7);
    return bytes;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_firmware_seeds FOLDER\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "fuzz_firmware_seeds: cannot create %s\n", argv[1]);
        return 1;
    }

    using namespace j2::update;
    bool ok = true;
    FirmwareImage plain;
    plain.vendorId = 0x04D9;
    plain.productId = 0xA100;
    plain.checksum = 0x1234;
    plain.image = pattern(64);
    const QByteArray magic = buildFirmwareFile(plain);
    ok &= save(folder, QStringLiteral("magic-plain"), magic);

    FirmwareImage titled = plain;
    titled.title = QStringLiteral("J2 Firmware");
    titled.key1 = 0x5A;
    titled.key0 = 0x3C;
    titled.image = pattern(1027);
    ok &= save(folder, QStringLiteral("title-keys"), buildFirmwareFile(titled));

    FirmwareImage empty = plain;
    empty.image.clear();
    ok &= save(folder, QStringLiteral("empty-image"), buildFirmwareFile(empty));

    // Faults around each check: a header one byte short, fields cut, the marker, a length past the end,
    // trailing bytes, and a header with no zero byte.
    ok &= save(folder, QStringLiteral("short-header"), magic.left(kHeaderSize - 1));
    ok &= save(folder, QStringLiteral("cut-fields"), magic.left(kHeaderSize + kImageOffset - 1));
    QByteArray marker = magic.left(kHeaderSize);
    marker.append(QByteArray(16, '\xFF'));
    ok &= save(folder, QStringLiteral("marker"), marker);
    ok &= save(folder, QStringLiteral("image-past-end"), magic.left(magic.size() - 1));
    ok &= save(folder, QStringLiteral("trailing"), magic + QByteArray("trailing bytes"));
    QByteArray noZero = magic;
    noZero.replace(0, kHeaderSize, QByteArray(kHeaderSize, 'x'));
    ok &= save(folder, QStringLiteral("header-without-zero"), noZero);

    if (!ok) {
        std::fprintf(stderr, "fuzz_firmware_seeds: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
