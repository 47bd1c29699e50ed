#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace orlinda {

// A named block of memory that processes of the same user share, in place of a named
// paging-file mapping: POSIX shared memory (shm_open + mmap). The user id is added to the
// name, so each user has blocks of their own. The creator removes the name when it lets
// the block go; processes that opened it keep their mapping until they let it go too.
class TSharedMemory {
public:
    ~TSharedMemory();
    TSharedMemory(const TSharedMemory&) = delete;
    TSharedMemory& operator=(const TSharedMemory&) = delete;

    // Creates the block, or opens it when it exists already (a creator that died left it),
    // with at least size bytes, mapped for reading and writing. Null on failure.
    static std::unique_ptr<TSharedMemory> Create(const std::string& name, size_t size);
    // Opens an existing block; null when there is none or it is smaller than size.
    static std::unique_ptr<TSharedMemory> Open(const std::string& name, size_t size);
    // Whether a block of that name exists.
    static bool Exists(const std::string& name);

    unsigned char* Data() const { return data_; }
    size_t Size() const { return size_; }
    bool IsCreator() const { return creator_; }

    // The shm_open name of a block: "/" + name + "-" + uid, characters other than letters,
    // digits, '-', '_' and '.' replaced by '_'.
    static std::string SystemName(const std::string& name);

private:
    TSharedMemory() = default;

    std::string systemName_;
    unsigned char* data_ = nullptr;
    size_t size_ = 0;
    bool creator_ = false;
};

} // namespace orlinda
