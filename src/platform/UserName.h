#pragma once
#include <string>

namespace orlinda {

// The login name of the user the process runs as: the password database entry of the
// effective user id, else $USER, else $LOGNAME; empty when none of them gives a name.
std::string UserName();

} // namespace orlinda
