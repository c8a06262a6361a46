// make-data-bin: writes the updater's firmware file from a raw image. The checksum in the file is the one
// our programming library computes for the image, so the updater, which asks the same library, always
// agrees with it.
//
// Exit codes: 0 written, 1 the image or the output failed (unreadable, refused, not writable), 2 the
// command line is wrong.

#include "firmware_check.h"
#include "firmware_file.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdio>
#include <optional>

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The virtual mouse in user mode: what a file is for when nobody says otherwise.
constexpr const char* kDefaultVendorId = "04d9";
constexpr const char* kDefaultProductId = "a100";
constexpr const char* kDefaultKey = "0";
constexpr const char* kDefaultOutput = "data.bin";

void complain(const QString& text)
{
    std::fprintf(stderr, "make-data-bin: %s\n", qPrintable(text));
}

// A hexadecimal number, with or without 0x, no larger than `maximum`.
std::optional<quint32> parseHex(QString text, quint32 maximum)
{
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 16);
    if (!ok || text.isEmpty() || value > maximum)
        return std::nullopt;
    return quint32(value);
}

struct Request
{
    QString imagePath;
    QString outputPath;
    j2::update::FirmwareImage firmware;
};

enum class CommandLine
{
    Ready,
    HelpShown,
    Wrong
};

// Fills `request` from the command line; Wrong (after saying why) when it is.
CommandLine readCommandLine(const QStringList& arguments, Request& request)
{
    QCommandLineParser parser;
    const QCommandLineOption image(QStringLiteral("image"), QStringLiteral("The raw firmware image."),
                                   QStringLiteral("file"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("The file to write."),
                                 QStringLiteral("file"), QString::fromLatin1(kDefaultOutput));
    const QCommandLineOption title(QStringLiteral("title"),
                                   QStringLiteral("The updater's window title (default: the magic header)."),
                                   QStringLiteral("text"));
    const QCommandLineOption vid(QStringLiteral("vid"), QStringLiteral("Vendor id in user mode (hex)."),
                                 QStringLiteral("hex"), QString::fromLatin1(kDefaultVendorId));
    const QCommandLineOption pid(QStringLiteral("pid"), QStringLiteral("Product id in user mode (hex)."),
                                 QStringLiteral("hex"), QString::fromLatin1(kDefaultProductId));
    const QCommandLineOption key1(QStringLiteral("key1"), QStringLiteral("Key byte K1 (hex)."),
                                  QStringLiteral("hex"), QString::fromLatin1(kDefaultKey));
    const QCommandLineOption key0(QStringLiteral("key0"), QStringLiteral("Key byte K0 (hex)."),
                                  QStringLiteral("hex"), QString::fromLatin1(kDefaultKey));
    parser.setApplicationDescription(QStringLiteral("Writes the updater's firmware file from a raw image."));
    parser.addHelpOption();
    parser.addOptions({image, out, title, vid, pid, key1, key0});

    if (!parser.parse(arguments)) {
        complain(parser.errorText());
        return CommandLine::Wrong;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        return CommandLine::HelpShown;
    }
    if (!parser.positionalArguments().isEmpty()) {
        complain(QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().constFirst()));
        return CommandLine::Wrong;
    }
    if (!parser.isSet(image) || parser.value(image).isEmpty()) {
        complain(QStringLiteral("--image FILE is required"));
        return CommandLine::Wrong;
    }
    request.imagePath = parser.value(image);
    request.outputPath = parser.value(out);
    request.firmware.title = parser.value(title);

    struct HexField
    {
        const QCommandLineOption& option;
        quint32 maximum;
        std::optional<quint32> value;
    };
    std::array<HexField, 4> fields = {
        {{vid, 0xFFFF, {}}, {pid, 0xFFFF, {}}, {key1, 0xFF, {}}, {key0, 0xFF, {}}}};
    for (HexField& field : fields) {
        field.value = parseHex(parser.value(field.option), field.maximum);
        if (!field.value) {
            complain(QStringLiteral("--%1 wants a hexadecimal number up to %2, not \"%3\"")
                         .arg(field.option.names().constFirst())
                         .arg(field.maximum, 0, 16)
                         .arg(parser.value(field.option)));
            return CommandLine::Wrong;
        }
    }
    request.firmware.vendorId = quint16(*fields[0].value);
    request.firmware.productId = quint16(*fields[1].value);
    request.firmware.key1 = quint8(*fields[2].value);
    request.firmware.key0 = quint8(*fields[3].value);
    return CommandLine::Ready;
}

int makeFile(Request request)
{
    QFile imageFile(request.imagePath);
    if (!imageFile.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("cannot read %1: %2").arg(request.imagePath, imageFile.errorString()));
        return kExitFailed;
    }
    request.firmware.image = imageFile.readAll();
    if (request.firmware.image.isEmpty()) {
        complain(QStringLiteral("%1 is empty; a firmware file needs at least one image byte, or the updater "
                                "would erase the mouse and leave it without firmware")
                     .arg(request.imagePath));
        return kExitFailed;
    }
    if (request.firmware.image.size() > j2::update::kMaxImageSize) {
        complain(QStringLiteral("the image has %1 bytes; a firmware file holds at most %2")
                     .arg(request.firmware.image.size())
                     .arg(j2::update::kMaxImageSize));
        return kExitFailed;
    }

    j2::isp::IspLibrary library(nullptr);
    const j2::update::IspVerdict verdict = j2::update::checkWithIsp(library, request.firmware.image);
    if (verdict.loadResult != 0) {
        complain(
            QStringLiteral("the programming library refuses the image (result %1)").arg(verdict.loadResult));
        return kExitFailed;
    }
    if (verdict.startValue != j2::update::kExpectedStartValue || !verdict.checksumKnown) {
        complain(QStringLiteral("the programming library gives no checksum the updater would accept"));
        return kExitFailed;
    }
    request.firmware.checksum = verdict.checksum;

    const QByteArray bytes = j2::update::buildFirmwareFile(request.firmware);
    if (bytes.isEmpty()) {
        complain(QStringLiteral("no firmware file can be made from %1").arg(request.imagePath));
        return kExitFailed;
    }

    QSaveFile output(request.outputPath);
    if (!output.open(QIODevice::WriteOnly) || output.write(bytes) != bytes.size() || !output.commit()) {
        complain(QStringLiteral("cannot write %1: %2").arg(request.outputPath, output.errorString()));
        return kExitFailed;
    }
    std::printf("%s: %lld image bytes, checksum %04X, for %04X:%04X\n", qPrintable(request.outputPath),
                static_cast<long long>(request.firmware.image.size()), request.firmware.checksum,
                request.firmware.vendorId, request.firmware.productId);
    return kExitDone;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("make-data-bin"));
    Request request;
    switch (readCommandLine(QCoreApplication::arguments(), request)) {
    case CommandLine::Wrong:
        complain(QStringLiteral("try --help"));
        return kExitUsage;
    case CommandLine::HelpShown:
        return kExitDone;
    case CommandLine::Ready:
        break;
    }
    return makeFile(request);
}
