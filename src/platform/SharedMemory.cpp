#include "platform/SharedMemory.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlinda {

namespace {

unsigned char* MapBlock(int fd, size_t size)
{
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return p == MAP_FAILED ? nullptr : static_cast<unsigned char*>(p);
}

} // namespace

std::string TSharedMemory::SystemName(const std::string& name)
{
    std::string out = "/";
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
                        || c == '_' || c == '.';
        out += ok ? c : '_';
    }
    return out + "-" + std::to_string(::getuid());
}

TSharedMemory::~TSharedMemory()
{
    if (data_)
        ::munmap(data_, size_);
    if (creator_)
        ::shm_unlink(systemName_.c_str());
}

std::unique_ptr<TSharedMemory> TSharedMemory::Create(const std::string& name, size_t size)
{
    if (size == 0)
        return nullptr;
    const std::string sys = SystemName(name);
    int fd = ::shm_open(sys.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (static_cast<size_t>(st.st_size) < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0)) {
        ::close(fd);
        return nullptr;
    }
    unsigned char* data = MapBlock(fd, size);
    ::close(fd);
    if (!data)
        return nullptr;
    std::unique_ptr<TSharedMemory> block(new TSharedMemory);
    block->systemName_ = sys;
    block->data_ = data;
    block->size_ = size;
    block->creator_ = true;
    return block;
}

std::unique_ptr<TSharedMemory> TSharedMemory::Open(const std::string& name, size_t size)
{
    if (size == 0)
        return nullptr;
    const std::string sys = SystemName(name);
    int fd = ::shm_open(sys.c_str(), O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<size_t>(st.st_size) < size) {
        ::close(fd);
        return nullptr;
    }
    unsigned char* data = MapBlock(fd, size);
    ::close(fd);
    if (!data)
        return nullptr;
    std::unique_ptr<TSharedMemory> block(new TSharedMemory);
    block->systemName_ = sys;
    block->data_ = data;
    block->size_ = size;
    return block;
}

bool TSharedMemory::Exists(const std::string& name)
{
    int fd = ::shm_open(SystemName(name).c_str(), O_RDONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace orlinda
