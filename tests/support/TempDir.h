#pragma once
#include <string>

namespace orlinda::test {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path + "/" + name.
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

// Whole file as bytes ("" when it is missing) and writing bytes to a file.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// Path of a file under tests/fixtures.
std::string FixturePath(const std::string& name);

} // namespace orlinda::test
