#pragma once

// A minimal host for the virtual mouse tests: builds reports with the wire helpers and runs the exchanges
// through the HID backend seam the way the configurator does (fresh handle per call, settle waits).

#include "report.h"
#include "virtual_mouse.h"

#include <QByteArray>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <thread>

namespace vmtest {

using j2::wire::FeatureReport;
using Bytes = std::vector<std::uint8_t>;

constexpr int kHostSettleMs = 128;

// A request with the given argument bytes from byte 2 on, checksum set.
inline FeatureReport request(std::uint8_t command, std::initializer_list<std::uint8_t> arguments = {})
{
    FeatureReport report{};
    report[1] = command;
    std::size_t at = 2;
    for (const std::uint8_t argument : arguments)
        report[at++] = argument;
    j2::wire::setChecksum(report);
    return report;
}

inline FeatureReport request(const QByteArray& hexArguments, std::uint8_t command)
{
    FeatureReport report{};
    report[1] = command;
    const QByteArray arguments = QByteArray::fromHex(hexArguments);
    for (qsizetype i = 0; i < arguments.size() && i < 6; ++i)
        report[std::size_t(2 + i)] = std::uint8_t(arguments[i]);
    j2::wire::setChecksum(report);
    return report;
}

// A recognisable pattern, different per seed.
inline Bytes pattern(std::size_t length, int seed)
{
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = std::uint8_t(i * 7 + std::size_t(seed) * 31 + 1);
    return bytes;
}

inline QByteArray hex(const std::uint8_t* data, std::size_t count)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(count)).toHex();
}

inline void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

struct Host
{
    explicit Host(j2::hid::Backend& b) : backend(b) {}

    std::unique_ptr<j2::hid::Device> control() { return backend.openPath(j2::vm::kControlPath); }

    int send(FeatureReport report)
    {
        if (encode)
            j2::wire::scramble(report.data() + 1, code);
        auto device = control();
        return device ? device->sendFeatureReport(report.data(), report.size()) : -1;
    }

    // The reply as it travelled (scrambled or not).
    std::optional<FeatureReport> fetchRaw()
    {
        FeatureReport reply{};
        auto device = control();
        if (!device || device->getFeatureReport(reply.data(), reply.size()) != int(reply.size()))
            return std::nullopt;
        return reply;
    }

    std::optional<FeatureReport> fetch()
    {
        std::optional<FeatureReport> reply = fetchRaw();
        if (reply && encode)
            j2::wire::descramble(reply->data() + 1, code);
        return reply;
    }

    std::optional<FeatureReport> query(const FeatureReport& report)
    {
        if (send(report) != int(report.size()))
            return std::nullopt;
        return fetch();
    }

    // One input report with a bounded wait; -1/0 as the seam returns them.
    int readReport(std::uint8_t* data, std::size_t length, int timeoutMs = 500)
    {
        auto device = control();
        return device ? device->readTimeout(data, length, timeoutMs) : -1;
    }

    // A read exchange with a bulk phase; nullopt when any step fails.
    std::optional<Bytes> readBulk(const FeatureReport& report, std::size_t length)
    {
        if (!query(report))
            return std::nullopt;
        Bytes data;
        while (data.size() < length) {
            std::uint8_t input[j2::vm::kReportLength + 1] = {};
            if (readReport(input, sizeof input) <= 0)
                return std::nullopt;
            const std::size_t take = std::min<std::size_t>(j2::vm::kReportLength, length - data.size());
            data.insert(data.end(), input, input + take);
        }
        return data;
    }

    // A write exchange: the feature report, then the bulk phase in 64-byte reports; settle waits around the
    // bulk phase as the configurator does them.
    bool writeBulk(const FeatureReport& report, const Bytes& data, bool settle = true)
    {
        if (send(report) != int(report.size()))
            return false;
        if (settle)
            sleepMs(kHostSettleMs);
        if (data.empty())
            return true;
        for (std::size_t offset = 0; offset < data.size(); offset += j2::vm::kReportLength) {
            std::uint8_t output[j2::vm::kReportLength + 1] = {};
            const std::size_t take = std::min<std::size_t>(j2::vm::kReportLength, data.size() - offset);
            std::copy_n(data.begin() + std::ptrdiff_t(offset), take, output + 1);
            auto device = control();
            if (!device || device->write(output, sizeof output) != int(sizeof output))
                return false;
        }
        if (settle)
            sleepMs(kHostSettleMs);
        return true;
    }

    j2::hid::Backend& backend;
    bool encode = false;
    j2::wire::SecrecyCode code{};
};

inline j2::wire::SecrecyCode codeOf(const char* text)
{
    j2::wire::SecrecyCode code{};
    j2::wire::loadSecrecyCode(code, text, std::strlen(text));
    return code;
}

// Entries of the mouse's wire log with the given kind and direction on the control interface.
inline std::vector<j2::vm::WireEntry> logged(const j2::vm::VirtualMouse& mouse, const std::string& kind)
{
    std::vector<j2::vm::WireEntry> found;
    for (const j2::vm::WireEntry& entry : mouse.wireLog())
        if (entry.kind == kind && entry.iface == j2::vm::Interface::Control)
            found.push_back(entry);
    return found;
}

} // namespace vmtest
