#include "platform/UserName.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace orlinda {

std::string UserName()
{
    long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<size_t>(hint) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    for (;;) {
        int rc = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        break;
    }
    if (found && found->pw_name && *found->pw_name)
        return found->pw_name;
    for (const char* variable : {"USER", "LOGNAME"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return value;
    }
    return {};
}

} // namespace orlinda
