#include "device_flags.h"

#include <QMutex>
#include <QMutexLocker>

std::atomic<bool> isEncode{false};
std::atomic<bool> isDemoMode{false};
std::atomic<bool> isDeviceFound{false};
j2::wire::SecrecyCode secrecyCode{};
std::array<std::atomic<unsigned>, 8> dpiValues{};

namespace {

QMutex noticeMutex;
QStringList noticeTexts(8, QStringLiteral("DPI Switch to"));

} // namespace

void setDpiNoticeTexts(const QStringList& texts)
{
    QMutexLocker lock(&noticeMutex);
    noticeTexts = texts;
}

QString dpiNoticeText(int index)
{
    QMutexLocker lock(&noticeMutex);
    return noticeTexts.value(index);
}
