#pragma once
// File operations of the updater and the downloader on native paths.
#include <cstdint>
#include <string>

namespace orlinda {

// The folder part of a path, with its trailing "/" ("" when there is none).
std::string FolderOf(const std::string& path);

// CRC-32 (IEEE, as zlib) and size of a whole file; false when it cannot be opened or read.
bool FileCrc32(const std::string& path, uint32_t& crc, int64_t& size);
// The CRC-32 of a file open for reading from its start, read in blocks.
bool DescriptorCrc32(int fd, uint32_t& crc, int64_t& size);

// Writes the installed file from its staged copy, bzip2-decompressing when asked, so
// that the installed file is never left half written: the bytes go to a temporary file
// beside it, which replaces it only when everything was written and its size and CRC-32
// are the expected ones (expectedSize < 0: not checked). The permissions of permissionsOf
// (the file being replaced or its backup), when it exists, are kept. Returns 0 or one of
// the updater codes: CannotOpenFile (the staged file), CannotCreateFile, ReadError,
// WriteError, DecompressionError, CrcMismatch; failedFile names the file concerned.
int WriteInstalledFile(const std::string& staged, const std::string& installed, bool decompress,
                       int64_t expectedSize, uint32_t expectedCrc, const std::string& permissionsOf,
                       std::string& failedFile);

} // namespace orlinda
