#pragma once
#include <stdexcept>
#include <string>

namespace orlinda {

// The general exception of the program: readers and writers of formats raise it with
// their fixed English texts; callers catch it and report a false result.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace orlinda
