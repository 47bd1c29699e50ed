#pragma once
#include <string>
#include <vector>

namespace orlinda {

// The sound files a reminder may play: full paths, kept sorted without regard to letter
// case and without duplicates (a path that differs from one in the list only in letter
// case counts as a duplicate and is not added).
class TSoundList {
public:
    // Inserts path at its sorted place; false when it is empty or already in the list.
    bool Add(const std::string& path);
    void Delete(int index);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int index) const { return items_[static_cast<size_t>(index)]; }
    const std::vector<std::string>& Items() const { return items_; }
    // Index of path (compared without regard to letter case), -1 when missing.
    int IndexOf(const std::string& path) const;

    // The sounds.dat form: one path per line, lines ending with CR LF. Loading splits at
    // CR LF, CR or LF and adds each line (empty lines are dropped).
    std::string Text() const;
    void SetText(const std::string& text);
    // Raise orlinda::Error on failure; saving is atomic.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<std::string> items_;
};

// The program's sound list.
TSoundList& SoundList();

// Rebuilds the sound list: loads sounds.dat, drops the files that no longer exist, adds
// every *.wav of the media folder, and saves sounds.dat. Failures end it silently.
void RefreshSoundList();

// Adds an existing file to the sound list and saves sounds.dat (failures ignored);
// false when the file does not exist.
bool AddSound(const std::string& file);

// Case-insensitive ordering of the list (ASCII letters fold; other bytes as they are).
int CompareSoundPaths(const std::string& a, const std::string& b);

} // namespace orlinda
