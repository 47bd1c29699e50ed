#pragma once
#include <QString>

#include <cstdint>

namespace orlinda {

// The type-ahead buffer of a list: each key appends its lower-cased character; a key
// that comes more than 1000 ms after the previous one starts a new buffer. Only a blank,
// "-", ".", "_", digits, Latin letters and the Cyrillic letters А..я (without Ё/ё) start
// a search.
class TTypeAhead {
public:
    static constexpr uint32_t kResetMs = 1000;

    static bool IsSearchChar(QChar c)
    {
        const char16_t u = c.unicode();
        return u == u' ' || u == u'-' || u == u'.' || u == u'_' || (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z')
               || (u >= u'A' && u <= u'Z') || (u >= 0x0410 && u <= 0x044F);
    }

    // Feeds one key typed at tick; true when the buffer is to be searched for.
    bool Feed(QChar c, uint32_t tick)
    {
        if (!IsSearchChar(c))
            return false;
        if (!started_ || tick - last_ > kResetMs)
            buffer_.clear();
        started_ = true;
        last_ = tick;
        buffer_ += c.toLower();
        return true;
    }

    const QString& Buffer() const { return buffer_; }
    void Reset()
    {
        buffer_.clear();
        started_ = false;
    }

private:
    QString buffer_;
    uint32_t last_ = 0;
    bool started_ = false;
};

} // namespace orlinda
