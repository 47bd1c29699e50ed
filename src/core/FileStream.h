#pragma once
#include "core/Stream.h"

#include <string>

namespace orlinda {

// A stream over an open file. Opening failures raise Error with the file name.
class TFileStream : public TStream {
public:
    enum class Mode {
        Read,     // existing file, read only; other writers are denied (advisory lock)
        Create,   // create or truncate, read and write
        Append    // create when missing, writes go to the end
    };

    TFileStream(const std::string& fileName, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override;

    // Flushes written data to the disk (fsync).
    void Sync();
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    int fd_ = -1;
};

// Reads a whole file into bytes; raises Error when it cannot be opened or read.
std::string ReadWholeFile(const std::string& fileName);

} // namespace orlinda
