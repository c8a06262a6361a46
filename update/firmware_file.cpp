#include "firmware_file.h"
#include "update_log.h"

#include <QFile>

#include <algorithm>

namespace j2::update {

namespace {

constexpr qsizetype kLengthBytes = 3;
constexpr std::size_t kKeyStreamPeriod = 4;

quint8 byteAt(const QByteArray& bytes, qsizetype offset)
{
    return static_cast<quint8>(bytes.at(offset));
}

quint32 bigEndian(const QByteArray& bytes, qsizetype offset, qsizetype count)
{
    quint32 value = 0;
    for (qsizetype i = 0; i < count; ++i)
        value = (value << 8) | byteAt(bytes, offset + i);
    return value;
}

void appendBigEndian(QByteArray& bytes, quint32 value, qsizetype count)
{
    for (qsizetype i = count; i-- > 0;)
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

template <std::size_t N> bool startsWith(const QByteArray& bytes, const std::array<quint8, N>& prefix)
{
    if (bytes.size() < qsizetype(N))
        return false;
    return std::equal(prefix.begin(), prefix.end(), bytes.begin(),
                      [](quint8 expected, char actual) { return expected == static_cast<quint8>(actual); });
}

FirmwareLoad refuse(FirmwareLoad load, FirmwareRefusal refusal)
{
    // The marker is how a file says "not for you"; it is refused quietly, every fault is reported.
    if (refusal != FirmwareRefusal::RefusalMarker)
        qCDebug(lcUpdate).noquote() << "data.bin refused:" << refusalText(refusal);
    load.refusal = refusal;
    return load;
}

// The local code page's bytes of `title`, cut character by character until a zero byte still fits.
QByteArray encodedTitle(const QString& title)
{
    QString text = title;
    QByteArray encoded = text.toLocal8Bit();
    while (encoded.size() > kHeaderSize - 1) {
        text.chop(1);
        encoded = text.toLocal8Bit();
    }
    return encoded;
}

} // namespace

const char* refusalText(FirmwareRefusal refusal)
{
    switch (refusal) {
    case FirmwareRefusal::None:
        return "accepted";
    case FirmwareRefusal::Unreadable:
        return "file cannot be read";
    case FirmwareRefusal::TruncatedHeader:
        return "header incomplete";
    case FirmwareRefusal::BodyTooLong:
        return "body longer than the updater holds";
    case FirmwareRefusal::RefusalMarker:
        return "refusal marker";
    case FirmwareRefusal::TruncatedFields:
        return "file ends inside the fields before the image";
    case FirmwareRefusal::ImageBeyondEnd:
        return "image length beyond the end of the file";
    case FirmwareRefusal::EmptyImage:
        return "empty image";
    }
    return "unknown";
}

QString headerTitle(const QByteArray& header)
{
    if (startsWith(header, kHeaderMagic))
        return QString::fromLatin1(kMagicTitle);
    const QByteArray field = header.left(kHeaderSize);
    const qsizetype end = field.indexOf('\0');
    return QString::fromLocal8Bit(end < 0 ? field : field.left(end));
}

FirmwareLoad parseFirmwareFile(const QByteArray& bytes)
{
    FirmwareLoad load;
    if (bytes.size() < kHeaderSize)
        return refuse(load, FirmwareRefusal::TruncatedHeader);
    // The title comes first: the window shows it even for a file it then refuses.
    load.firmware.title = headerTitle(bytes.left(kHeaderSize));
    load.hasTitle = true;

    const QByteArray body = bytes.mid(kHeaderSize);
    if (body.size() > kMaxBodySize)
        return refuse(load, FirmwareRefusal::BodyTooLong);
    if (startsWith(body, kRefusalMarker))
        return refuse(load, FirmwareRefusal::RefusalMarker);
    if (body.size() < kImageOffset)
        return refuse(load, FirmwareRefusal::TruncatedFields);

    const quint32 length = bigEndian(body, kLengthOffset, kLengthBytes);
    if (length > quint32(body.size() - kImageOffset))
        return refuse(load, FirmwareRefusal::ImageBeyondEnd);
    if (length == 0)
        return refuse(load, FirmwareRefusal::EmptyImage);

    FirmwareImage& firmware = load.firmware;
    firmware.vendorId = quint16(bigEndian(body, kVendorIdOffset, 2));
    firmware.productId = quint16(bigEndian(body, kProductIdOffset, 2));
    firmware.checksum = quint16(bigEndian(body, kChecksumOffset, 2));
    firmware.key1 = byteAt(body, kKey1Offset);
    firmware.key0 = byteAt(body, kKey0Offset);
    // Anything after the image is ignored.
    firmware.image = body.mid(kImageOffset, qsizetype(length));
    descrambleImage(firmware.image, firmware.key1, firmware.key0);
    return load;
}

FirmwareLoad loadFirmwareFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcUpdate, "Open data File fail");
        FirmwareLoad load;
        load.refusal = FirmwareRefusal::Unreadable;
        return load;
    }
    // One byte past the largest acceptable file is enough to tell that a file is too long.
    return parseFirmwareFile(file.read(kHeaderSize + kMaxBodySize + 1));
}

void descrambleImage(QByteArray& image, quint8 key1, quint8 key0)
{
    // Two zero keys mean a plain image. The stream would not be all zeros (its fourth byte is the complement
    // of the mixed key), so they have to be taken as "not scrambled" rather than run through it.
    if (key1 == 0 && key0 == 0)
        return;
    const auto mixed = quint8((key1 & 0xAA) | (key0 & 0x55));
    const std::array<quint8, kKeyStreamPeriod> keyStream = {key1, key0, mixed, quint8(~mixed)};
    char* data = image.data();
    for (qsizetype i = 0; i < image.size(); ++i)
        data[i] = char(quint8(data[i]) ^ keyStream[std::size_t(i) % kKeyStreamPeriod]);
}

QByteArray buildFirmwareFile(const FirmwareImage& firmware)
{
    if (firmware.image.isEmpty() || firmware.image.size() > kMaxImageSize)
        return {};
    QByteArray header;
    if (firmware.title.isEmpty())
        header =
            QByteArray(reinterpret_cast<const char*>(kHeaderMagic.data()), qsizetype(kHeaderMagic.size()));
    else
        header = encodedTitle(firmware.title);
    header.resize(kHeaderSize, '\0');

    QByteArray bytes = header;
    appendBigEndian(bytes, firmware.vendorId, 2);
    appendBigEndian(bytes, firmware.productId, 2);
    appendBigEndian(bytes, quint32(firmware.image.size()), kLengthBytes);
    appendBigEndian(bytes, firmware.checksum, 2);
    bytes.append(char(firmware.key1));
    bytes.append(char(firmware.key0));
    QByteArray image = firmware.image;
    descrambleImage(image, firmware.key1, firmware.key0);
    bytes.append(image);
    return bytes;
}

} // namespace j2::update
