#pragma once

// The FUSE file system that serves the emulated hidraw nodes: one regular file per node, answering open,
// read, write, poll and the hidraw ioctls through its Node. FUSE passes an ioctl's data by the size and
// direction encoded in the request number, and every hidraw request is encoded that way.

#include "hidraw_node.h"

#include <sys/types.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct fuse;

namespace j2::vm::hidraw {

struct NodeAccess
{
    mode_t mode = 0600;
    uid_t owner = 0;
    gid_t group = 0;
};

class Filesystem
{
public:
    Filesystem() = default;
    ~Filesystem(); // unmounts
    Filesystem(const Filesystem&) = delete;
    Filesystem& operator=(const Filesystem&) = delete;

    // Mounts at `mountpoint` and serves on threads of its own. False, with the reason, on failure.
    bool mount(const std::string& mountpoint, std::string* error);
    void unmount();

    void addNode(const std::string& name, std::shared_ptr<Node> node, NodeAccess access);
    void removeNode(const std::string& name);

    // ---- for the file system's callbacks ----
    struct Entry
    {
        std::shared_ptr<Node> node;
        NodeAccess access;
    };
    struct OpenFile
    {
        std::shared_ptr<Node> node;
        std::int64_t id = 0;
    };
    bool lookup(const std::string& name, Entry& entry) const;
    std::vector<std::string> names() const;
    std::uint64_t keep(OpenFile file);
    OpenFile find(std::uint64_t handle) const;
    OpenFile forget(std::uint64_t handle);

private:
    mutable std::mutex mutex_;
    std::map<std::string, Entry> entries_;
    std::map<std::uint64_t, OpenFile> openFiles_;
    std::uint64_t nextHandle_ = 1;
    struct fuse* fuse_ = nullptr;
    std::thread loop_;
};

} // namespace j2::vm::hidraw
