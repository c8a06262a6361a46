#include "serve_options.h"

namespace j2::vm {

namespace {

constexpr std::size_t kSecrecyCodeLength = 6;

} // namespace

OptionTaken takeServeOption(const std::vector<std::string>& args, std::size_t& i,
                            VirtualMouse::Options& options, std::string& socketPath, std::string& error)
{
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--encode") {
        options.encode = true;
    } else if (arg == "--bootloader") {
        options.startInBootloader = true;
    } else if (arg == "--socket" && hasValue) {
        socketPath = args[++i];
    } else if (arg == "--state" && hasValue) {
        options.stateFile = args[++i];
    } else if (arg == "--wire-log" && hasValue) {
        options.wireLogFile = args[++i];
    } else if (arg == "--secrecy-code" && hasValue) {
        options.secrecyCode = args[++i];
        if (options.secrecyCode.size() != kSecrecyCodeLength) {
            error = "--secrecy-code takes exactly 6 characters, got \"" + options.secrecyCode + "\"";
            return OptionTaken::Error;
        }
    } else {
        return OptionTaken::No;
    }
    return OptionTaken::Yes;
}

} // namespace j2::vm
