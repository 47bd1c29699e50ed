#pragma once
#include "core/Stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orlinda {

// The program's growable memory buffer with a capacity limit.
//
// TMemoryStream(initialCapacity, limit, growthStep): the initial capacity is reserved at
// once and is the smallest capacity ever; the capacity then grows in whole steps above
// it (step 0: never grows) and never beyond the limit (negative: none). Negative values
// of the capacity or the step count as 0. A write that cannot get the capacity it needs
// writes as many bytes as fit and returns that count.
//
// TMemoryStream(): no limit, capacity doubles as needed.
class TMemoryStream : public TStream {
public:
    TMemoryStream();
    TMemoryStream(int64_t initialCapacity, int64_t limit, int64_t growthStep);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    using TStream::Write;
    // Clamped into 0 ... Size(); returns the new position.
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return size_; }

    // Raises the capacity as for a write; the size becomes the smaller of the request and
    // the capacity; the position is pulled back if it lies beyond.
    void SetSize(int64_t size);
    // Size and position 0; the memory is kept.
    void Clear();
    int64_t Capacity() const { return capacity_; }
    int64_t Limit() const { return limit_; }

    // The content as 8-bit text, and a pointer to it (valid until the next change).
    std::string DataString() const;
    const char* Data() const { return data_.data(); }

    // Saves all bytes, atomically (temporary file renamed over the target).
    void SaveToFile(const std::string& fileName) const;
    // Replaces the content with the file's bytes, position 0. When the capacity cannot
    // hold the file, reads what fits and raises Error
    // "Insufficient memory. <needed> bytes needed. Only <capacity> bytes available".
    void LoadFromFile(const std::string& fileName);

private:
    // Raises the capacity towards needed as the rules allow; returns the capacity.
    int64_t Reserve(int64_t needed);

    std::vector<char> data_;  // data_.size() == capacity_
    int64_t size_ = 0;
    int64_t position_ = 0;
    int64_t initialCapacity_ = 0;
    int64_t growthStep_ = 0;
    int64_t limit_ = -1;
    int64_t capacity_ = 0;
    bool doubling_ = false;
};

} // namespace orlinda
