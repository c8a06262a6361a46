#include "single_instance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace j2::platform {

namespace {

// A lock file in the user's runtime folder (private to the user, 0700), never in a shared temp folder where
// another user could plant or hold it. A lock left by a crashed instance is recognised as stale.
class LockFileInstance final : public SingleInstance
{
public:
    explicit LockFileInstance(const QString& name)
    {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (folder.isEmpty())
            folder = QDir::homePath();
        lock = std::make_unique<QLockFile>(folder + QLatin1Char('/') + name + QStringLiteral(".lock"));
        lock->setStaleLockTime(0);
    }

    bool tryAcquire() override { return lock->tryLock(0); }

private:
    std::unique_ptr<QLockFile> lock;
};

} // namespace

std::unique_ptr<SingleInstance> makeSingleInstance(const QString& name)
{
    return std::make_unique<LockFileInstance>(name);
}

} // namespace j2::platform
