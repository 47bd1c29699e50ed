#pragma once
#include "core/Stream.h"

#include <functional>
#include <string>

namespace orlinda {

// Saves a file so that a crash or a full disk never leaves it half written: the bytes go
// to a temporary file beside the target, which is flushed and then renamed over it.
// When writing fails the temporary file is removed, the target is untouched, and the
// failure propagates.
void SaveFileAtomic(const std::string& fileName, const std::function<void(TStream&)>& write);
void WriteFileAtomic(const std::string& fileName, const std::string& bytes);

} // namespace orlinda
