#pragma once

// Where sockets live: only in folders that belong to the user and are closed to everyone else.

#include <string>

namespace j2::vm {

// Creates the missing folders of `dir` with mode 0700; folders that already exist are left as they are.
bool ensureFolder(const std::string& dir, std::string* error);

// The folder part of a path ("." when there is none).
std::string parentFolder(const std::string& path);

} // namespace j2::vm
