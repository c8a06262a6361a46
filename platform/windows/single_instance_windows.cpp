#include "single_instance.h"
#include "win32_single_instance.h"

namespace j2::platform {

namespace {

class MutexInstance final : public SingleInstance
{
public:
    explicit MutexInstance(const QString& name) : name(QStringLiteral("Local\\") + name) {}
    bool tryAcquire() override { return mutex.acquire(reinterpret_cast<const wchar_t*>(name.utf16())); }

private:
    QString name;
    j2::win32::NamedMutex mutex;
};

} // namespace

std::unique_ptr<SingleInstance> makeSingleInstance(const QString& name)
{
    return std::make_unique<MutexInstance>(name);
}

} // namespace j2::platform
