#define FUSE_USE_VERSION 35
#include "hidraw_filesystem.h"

#include <fuse.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace j2::vm::hidraw {

namespace {

constexpr mode_t kFolderMode = 0755;
constexpr unsigned kIdleThreads = 16;

Filesystem& self()
{
    return *static_cast<Filesystem*>(fuse_get_context()->private_data);
}

// "/hidraw0-1" -> "hidraw0-1"; the root and anything deeper are not nodes.
std::string nodeName(const char* path)
{
    if (path == nullptr || path[0] != '/' || std::strchr(path + 1, '/') != nullptr)
        return {};
    return path + 1;
}

class FuseWaker final : public PollWaker
{
public:
    explicit FuseWaker(fuse_pollhandle* handle) : handle_(handle) {}
    ~FuseWaker() override { fuse_pollhandle_destroy(handle_); }
    FuseWaker(const FuseWaker&) = delete;
    FuseWaker& operator=(const FuseWaker&) = delete;
    void wake() override { fuse_notify_poll(handle_); }

private:
    fuse_pollhandle* handle_;
};

void* initialise(fuse_conn_info*, fuse_config* config)
{
    // Every read and write reaches us as the caller made it, and a removed node is gone at once.
    config->direct_io = 1;
    config->entry_timeout = 0;
    config->attr_timeout = 0;
    config->negative_timeout = 0;
    return fuse_get_context()->private_data;
}

int getAttributes(const char* path, struct stat* attributes, fuse_file_info*)
{
    std::memset(attributes, 0, sizeof *attributes);
    if (std::strcmp(path, "/") == 0) {
        attributes->st_mode = S_IFDIR | kFolderMode;
        attributes->st_nlink = 2;
        return 0;
    }
    Filesystem::Entry entry;
    if (!self().lookup(nodeName(path), entry))
        return -ENOENT;
    attributes->st_mode = S_IFREG | entry.access.mode;
    attributes->st_nlink = 1;
    attributes->st_uid = entry.access.owner;
    attributes->st_gid = entry.access.group;
    return 0;
}

int readFolder(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
               fuse_readdir_flags)
{
    if (std::strcmp(path, "/") != 0)
        return -ENOTDIR;
    fill(buffer, ".", nullptr, 0, fuse_fill_dir_flags{});
    fill(buffer, "..", nullptr, 0, fuse_fill_dir_flags{});
    for (const std::string& name : self().names())
        fill(buffer, name.c_str(), nullptr, 0, fuse_fill_dir_flags{});
    return 0;
}

int openNode(const char* path, fuse_file_info* info)
{
    Filesystem::Entry entry;
    if (!self().lookup(nodeName(path), entry))
        return -ENOENT;
    const std::int64_t id = entry.node->open();
    if (id < 0)
        return int(id);
    info->fh = self().keep({entry.node, id});
    info->direct_io = 1;
    info->nonseekable = 1;
    return 0;
}

int releaseNode(const char*, fuse_file_info* info)
{
    const Filesystem::OpenFile file = self().forget(info->fh);
    if (file.node)
        file.node->release(file.id);
    return 0;
}

int readNode(const char*, char* buffer, size_t size, off_t, fuse_file_info* info)
{
    const Filesystem::OpenFile file = self().find(info->fh);
    if (!file.node)
        return -EBADF;
    return file.node->read(file.id, reinterpret_cast<std::uint8_t*>(buffer), size,
                           (info->flags & O_NONBLOCK) != 0, [] { return fuse_interrupted() != 0; });
}

int writeNode(const char*, const char* buffer, size_t size, off_t, fuse_file_info* info)
{
    const Filesystem::OpenFile file = self().find(info->fh);
    if (!file.node)
        return -EBADF;
    return file.node->write(file.id, reinterpret_cast<const std::uint8_t*>(buffer), size);
}

int ioctlNode(const char*, unsigned int request, void*, fuse_file_info* info, unsigned int flags, void* data)
{
    if ((flags & FUSE_IOCTL_COMPAT) != 0)
        return -ENOSYS;
    const Filesystem::OpenFile file = self().find(info->fh);
    if (!file.node)
        return -EBADF;
    return file.node->ioctl(file.id, request, static_cast<std::uint8_t*>(data));
}

int pollNode(const char*, fuse_file_info* info, fuse_pollhandle* handle, unsigned* events)
{
    std::unique_ptr<PollWaker> waker;
    if (handle != nullptr)
        waker = std::make_unique<FuseWaker>(handle);
    const Filesystem::OpenFile file = self().find(info->fh);
    if (!file.node)
        return -EBADF;
    *events = file.node->poll(file.id, std::move(waker));
    return 0;
}

fuse_operations operations()
{
    fuse_operations ops{};
    ops.init = initialise;
    ops.getattr = getAttributes;
    ops.readdir = readFolder;
    ops.open = openNode;
    ops.release = releaseNode;
    ops.read = readNode;
    ops.write = writeNode;
    ops.ioctl = ioctlNode;
    ops.poll = pollNode;
    return ops;
}

} // namespace

Filesystem::~Filesystem()
{
    unmount();
}

bool Filesystem::mount(const std::string& mountpoint, std::string* error)
{
    // Other users may open the nodes (as they may open /dev/hidraw*), and the kernel checks each node's mode
    // and owner as it does for a device node.
    std::vector<std::string> words = {"j2-hidraw-mouse", "-o",
                                      "allow_other,default_permissions,fsname=j2-hidraw"};
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    fuse_args args = FUSE_ARGS_INIT(int(argv.size()), argv.data());
    static const fuse_operations ops = operations();
    fuse_ = fuse_new(&args, &ops, sizeof ops, this);
    // fuse_new may have copied the arguments into storage of its own.
    fuse_opt_free_args(&args);
    if (fuse_ == nullptr) {
        if (error)
            *error = "fuse_new failed";
        return false;
    }
    if (fuse_mount(fuse_, mountpoint.c_str()) != 0) {
        if (error)
            *error = "cannot mount the hidraw nodes at " + mountpoint;
        fuse_destroy(fuse_);
        fuse_ = nullptr;
        return false;
    }
    loop_ = std::thread([this] {
        fuse_loop_config config{};
        config.clone_fd = 0;
        config.max_idle_threads = kIdleThreads;
        fuse_loop_mt(fuse_, &config);
    });
    return true;
}

void Filesystem::unmount()
{
    if (fuse_ == nullptr)
        return;
    fuse_exit(fuse_);
    // Unmounting ends the loop's wait for the next request.
    fuse_unmount(fuse_);
    if (loop_.joinable())
        loop_.join();
    fuse_destroy(fuse_);
    fuse_ = nullptr;
}

void Filesystem::addNode(const std::string& name, std::shared_ptr<Node> node, NodeAccess access)
{
    std::lock_guard lock(mutex_);
    entries_[name] = {std::move(node), access};
}

void Filesystem::removeNode(const std::string& name)
{
    std::lock_guard lock(mutex_);
    entries_.erase(name);
}

bool Filesystem::lookup(const std::string& name, Entry& entry) const
{
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(name);
    if (found == entries_.end())
        return false;
    entry = found->second;
    return true;
}

std::vector<std::string> Filesystem::names() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> all;
    for (const auto& [name, entry] : entries_)
        all.push_back(name);
    return all;
}

std::uint64_t Filesystem::keep(OpenFile file)
{
    std::lock_guard lock(mutex_);
    const std::uint64_t handle = nextHandle_++;
    openFiles_[handle] = std::move(file);
    return handle;
}

Filesystem::OpenFile Filesystem::find(std::uint64_t handle) const
{
    std::lock_guard lock(mutex_);
    const auto found = openFiles_.find(handle);
    return found == openFiles_.end() ? OpenFile{} : found->second;
}

Filesystem::OpenFile Filesystem::forget(std::uint64_t handle)
{
    std::lock_guard lock(mutex_);
    const auto found = openFiles_.find(handle);
    if (found == openFiles_.end())
        return {};
    OpenFile file = std::move(found->second);
    openFiles_.erase(found);
    return file;
}

} // namespace j2::vm::hidraw
