#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace orlinda::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orlinda-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const
{
    return path_ + "/" + name;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string FixturePath(const std::string& name)
{
    return std::string(ORLINDA_SOURCE_DIR) + "/tests/fixtures/" + name;
}

} // namespace orlinda::test
