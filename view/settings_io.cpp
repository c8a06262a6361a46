#include "settings_io.h"

#include "view_log.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryFile>

#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// Profile files are a few kilobytes; anything far larger offered for import is not one of ours, and reading
// it whole must not exhaust memory.
constexpr qint64 kMaxCopiedBytes = 16 * 1024 * 1024;
// The longest file name the usual file systems take (ext4, tmpfs, NTFS in UTF-16 units is longer).
constexpr qsizetype kMaxFileNameBytes = 255;
// A probe for "is there room": at least this much, or the file's own size when it is larger.
constexpr qint64 kProbeBytes = 4096;

// Each kind of problem is shown once per run.
enum class NoticeKind
{
    WriteFailure,
    ReplacedFile,
};
constexpr std::size_t kNoticeKinds = 2;

struct WriteFailureNotice
{
    std::mutex lock;
    std::function<void(const QString&)> sink;
    std::array<bool, kNoticeKinds> shown{};
    // What happened before anyone listened (while the settings root is prepared) waits for the first sink.
    std::vector<std::pair<NoticeKind, QString>> pending;
};

WriteFailureNotice& notice()
{
    static WriteFailureNotice instance;
    return instance;
}

const QString kReplacedText = QStringLiteral("Settings could not be read, the factory settings are used: ");

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void showOnce(NoticeKind kind, const QString& text)
{
    qCWarning(lcStores).noquote() << text;
    WriteFailureNotice& state = notice();
    std::function<void(const QString&)> sink;
    {
        const std::lock_guard guard(state.lock);
        bool& shown = state.shown[std::size_t(kind)];
        if (shown)
            return;
        shown = true;
        if (!state.sink) {
            state.pending.emplace_back(kind, text);
            return;
        }
        sink = state.sink;
    }
    sink(text);
}

} // namespace

void setWriteFailureNotice(std::function<void(const QString& text)> sink)
{
    WriteFailureNotice& state = notice();
    std::vector<std::pair<NoticeKind, QString>> waiting;
    {
        const std::lock_guard guard(state.lock);
        state.sink = sink;
        if (sink)
            waiting = state.pending;
        state.pending.clear();
        state.shown.fill(false);
        for (const auto& [kind, text] : waiting)
            state.shown[std::size_t(kind)] = true;
    }
    for (const auto& [kind, text] : waiting)
        sink(text);
}

void reportWriteFailure(const QString& path, const QString& reason)
{
    showOnce(NoticeKind::WriteFailure, QStringLiteral("Settings could not be saved: ") +
                                           QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason);
}

void reportReplacedFile(const QString& path, const QString& reason)
{
    showOnce(NoticeKind::ReplacedFile, kReplacedText + QDir::toNativeSeparators(path) + QStringLiteral(" (") +
                                           reason + QLatin1Char(')'));
}

QString writeFailureReason(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return systemText(EISDIR);
    if (info.exists()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite))
            return file.errorString();
    }
    const QDir folder = info.absoluteDir();
    if (!folder.exists())
        return systemText(ENOENT);
    // What a replacement would need: a new file beside the old one, as large as the old one.
    QTemporaryFile probe(folder.filePath(info.fileName() + QStringLiteral(".probe")));
    if (!probe.open())
        return probe.errorString();
    const QByteArray filler(std::max(info.size(), kProbeBytes), '\0');
    if (probe.write(filler) != filler.size() || !probe.flush())
        return probe.errorString();
    return QStringLiteral("the file could not be replaced");
}

bool syncChecked(QSettings& settings)
{
    settings.sync();
    // A FormatError is about reading a damaged file, which the stores deal with where they open it.
    if (settings.status() != QSettings::AccessError)
        return true;
    reportWriteFailure(settings.fileName(), writeFailureReason(settings.fileName()));
    return false;
}

bool writeThrough(QSettings& settings, const QString& key, const QVariant& value)
{
    settings.setValue(key, value);
    return syncChecked(settings);
}

QVariantList storedList(const QSettings& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return {};
    const int type = value.typeId();
    if (type == QMetaType::QVariantList || type == QMetaType::QStringList)
        return value.toList();
    return {value};
}

QList<int> storedNumbers(const QSettings& settings, const QString& key)
{
    QList<int> numbers;
    const QVariantList stored = storedList(settings, key);
    for (const QVariant& item : stored)
        numbers.append(item.toInt());
    return numbers;
}

std::optional<QString> libraryEntryPath(const QString& folder, const QString& name)
{
    const QString fileName = name + QStringLiteral(".bin");
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        QFile::encodeName(fileName).size() > kMaxFileNameBytes)
        return std::nullopt;
    for (const QChar character : name) {
        const char16_t unit = character.unicode();
        if (unit < 0x20 || unit == 0x7F || unit == u'/' || unit == u'\\' || unit == u':')
            return std::nullopt;
    }
    return folder + QLatin1Char('/') + fileName;
}

bool replaceWithCopy(const QString& source, const QString& target)
{
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly)) {
        qCWarning(lcStores).noquote() << "cannot read" << source << ":" << input.errorString();
        return false;
    }
    if (input.size() > kMaxCopiedBytes) {
        qCWarning(lcStores).noquote() << "not copied, too large:" << source;
        return false;
    }
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError) {
        qCWarning(lcStores).noquote() << "cannot read" << source << ":" << input.errorString();
        return false;
    }
    // Written beside the target and renamed over it: a crash at any point leaves the old file or the new one,
    // never neither. A copy of a read-only factory file is a new file, so it is the user's and writable.
    QSaveFile output(target);
    if (!output.open(QIODevice::WriteOnly) || output.write(bytes) != bytes.size() || !output.commit()) {
        reportWriteFailure(target, output.errorString());
        return false;
    }
    return true;
}

int removeLeftoverTemporaries(const QString& folder)
{
    // "<name>.bin.part" is what earlier versions copied through; QSaveFile (and so QSettings) writes
    // "<name>.bin.XXXXXX" with six random characters; QSettings locks with "<name>.bin.lock".
    static const QRegularExpression leftover(QStringLiteral(R"(\.bin\.(part|lock|[A-Za-z0-9]{6})$)"));
    int removed = 0;
    const QDir dir(folder);
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : files) {
        // A library entry's own file always ends in ".bin", whatever its name holds.
        if (name.endsWith(QLatin1String(".bin")) || !leftover.match(name).hasMatch())
            continue;
        if (QFile::remove(dir.filePath(name)))
            ++removed;
        else
            qCWarning(lcStores).noquote() << "cannot remove the leftover" << dir.filePath(name);
    }
    return removed;
}
