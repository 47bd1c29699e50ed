#include "core/MemoryStream.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/FileStream.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>

namespace orlinda {

TMemoryStream::TMemoryStream() : doubling_(true) {}

TMemoryStream::TMemoryStream(int64_t initialCapacity, int64_t limit, int64_t growthStep)
    : initialCapacity_(std::max<int64_t>(initialCapacity, 0)),
      growthStep_(std::max<int64_t>(growthStep, 0)),
      limit_(limit < 0 ? -1 : limit)
{
    // The limit is the largest capacity allowed, the initial reservation included.
    if (limit_ >= 0)
        initialCapacity_ = std::min(initialCapacity_, limit_);
    data_.resize(static_cast<size_t>(initialCapacity_));
    capacity_ = initialCapacity_;
}

int64_t TMemoryStream::Reserve(int64_t needed)
{
    if (needed <= capacity_)
        return capacity_;
    int64_t target = capacity_;
    if (doubling_) {
        target = std::max<int64_t>(needed, capacity_ > std::numeric_limits<int64_t>::max() / 2 ? needed : 2 * capacity_);
        target = std::max<int64_t>(target, 256);
    } else if (growthStep_ > 0 && needed > initialCapacity_) {
        int64_t steps = (needed - initialCapacity_ + growthStep_ - 1) / growthStep_;
        if (steps > (std::numeric_limits<int64_t>::max() - initialCapacity_) / growthStep_)
            target = limit_ >= 0 ? limit_ : std::numeric_limits<int64_t>::max();
        else
            target = initialCapacity_ + growthStep_ * steps;
    }
    if (limit_ >= 0)
        target = std::min(target, limit_);
    if (target > capacity_) {
        // std::vector grows its storage geometrically, so raising the capacity in small
        // steps still costs linear time; the new bytes are zero-filled.
        data_.resize(static_cast<size_t>(target));
        capacity_ = target;
    }
    return capacity_;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    if (count <= 0 || position_ >= size_)
        return 0;
    int64_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    int64_t needed = count > std::numeric_limits<int64_t>::max() - position_ ? std::numeric_limits<int64_t>::max()
                                                                            : position_ + count;
    // Bytes taken from the stream itself must survive the buffer moving when it grows.
    const char* from = static_cast<const char*>(buffer);
    std::string own;
    if (needed > capacity_ && !data_.empty() && std::less_equal<const char*>()(data_.data(), from) &&
        std::less<const char*>()(from, data_.data() + data_.size())) {
        own.assign(from, static_cast<size_t>(std::min<int64_t>(count, data_.data() + data_.size() - from)));
        from = own.data();
        count = static_cast<int64_t>(own.size());
        needed = position_ + count;
    }
    int64_t capacity = Reserve(needed);
    int64_t n = std::min(count, capacity - position_);
    if (n <= 0)
        return 0;
    std::memmove(data_.data() + position_, from, static_cast<size_t>(n));
    position_ += n;
    size_ = std::max(size_, position_);
    return n;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin)
{
    int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? position_ : size_;
    int64_t target;
    if (offset > 0 && base > std::numeric_limits<int64_t>::max() - offset)
        target = size_;
    else
        target = base + offset; // base >= 0, so a negative offset cannot overflow
    position_ = std::clamp<int64_t>(target, 0, size_);
    return position_;
}

void TMemoryStream::SetSize(int64_t size)
{
    size = std::max<int64_t>(size, 0);
    size_ = std::min(size, Reserve(size));
    position_ = std::min(position_, size_);
}

void TMemoryStream::Clear()
{
    size_ = 0;
    position_ = 0;
}

std::string TMemoryStream::DataString() const
{
    return std::string(data_.data(), static_cast<size_t>(size_));
}

void TMemoryStream::SaveToFile(const std::string& fileName) const
{
    SaveFileAtomic(fileName, [&](TStream& out) {
        if (out.Write(data_.data(), size_) != size_)
            throw Error("Cannot write file \"" + fileName + "\". The disk may be full.");
    });
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    TFileStream in(fileName, TFileStream::Mode::Read);
    int64_t fileSize = in.Size();
    if (fileSize < 0)
        throw Error("Cannot read file \"" + fileName + "\".");
    position_ = 0;
    size_ = 0;
    int64_t capacity = Reserve(fileSize);
    int64_t wanted = std::min(fileSize, capacity);
    size_ = in.Read(data_.data(), wanted);
    if (fileSize > capacity)
        throw Error("Insufficient memory. " + std::to_string(fileSize) + " bytes needed. Only " +
                    std::to_string(capacity) + " bytes available");
}

} // namespace orlinda
