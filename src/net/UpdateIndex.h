#pragma once
// The update index ("index.dat") and where its files go.
//
// The index is a section list (TMultiOptions). Sections whose name contains "Section_"
// are update sections; their keys:
//   Path          destination folder template with {{AppDir}}, {{CommonDir}}, {{UserDir}}
//   Optional      TRUE: the user may leave the section out
//   Checked       TRUE: an optional section is to be installed
//   RewriteMode   "If Not Exists": files are only written when missing
//   Compression   empty or "None": stored as they are; anything else: bzip2
//   RestartMode   empty or "Not Necessary": replaced while the program runs
//   Description[_lang], Changes[_lang]   texts of the update dialog (UTF-8)
//   File_*        "size|crc|stored size|stored crc|file name"
// "\" in paths and file names is a folder separator.
#include "core/MultiOptions.h"
#include "core/OptionsList.h"

#include <cstdint>
#include <string>

namespace orlinda {

// Result codes of the updater (result kind 100).
namespace UpdaterCode {
inline constexpr int CannotDeleteIndex = 3101;
inline constexpr int CannotLoadIndex = 3102;
inline constexpr int CannotSaveIndex = 3103;
inline constexpr int CannotCreateFolder = 3104;
inline constexpr int CannotCreateFile = 3105;
inline constexpr int CannotDeleteFile = 3106;
inline constexpr int CannotRenameFile = 3107;
inline constexpr int CannotOpenFile = 3108;
inline constexpr int WriteError = 3109;
inline constexpr int ReadError = 3110;
inline constexpr int BadSizeField = 3111;
inline constexpr int BadCrcField = 3112;
inline constexpr int CrcMismatch = 3113;
inline constexpr int DecompressionError = 3114;
inline constexpr int CannotCopyFile = 3115;
inline constexpr int NothingToUpdate = 3116;
} // namespace UpdaterCode

// The text of an updater code (3101-3116), "%s" standing for the file name; "" for
// other codes.
std::string UpdaterCodeText(int code);

// The vendor's update base address; the index is fetched from it + "index.dat".
inline constexpr char DefaultUpdateAddress[] = "http://www.tarvell.com/update/";
// Overrides of the address: the environment variable, then the setting.
inline constexpr char UpdateAddressVariable[] = "ORLINDA_UPDATE_URL";
inline constexpr char UpdateAddressSetting[] = "Update Address";

// The base address in force: ORLINDA_UPDATE_URL when set, else the setting "Update
// Address" of settings (when given and not empty), else the vendor's; always ending in "/".
// http and https both work (https certificates are verified).
std::string UpdateBaseAddress(const TOptionsList* settings);

// Keys and sections ------------------------------------------------------------------

bool IsUpdateSection(const TOptionsList& section);  // its name contains "Section_"
bool IsFileKey(const std::string& name);            // begins with "File_"
int FileEntryCount(const TOptionsList& section);

bool SectionOptional(const TOptionsList& section);
bool SectionChecked(const TOptionsList& section);
bool SectionCompressed(const TOptionsList& section);
bool SectionNeedsRestart(const TOptionsList& section);
bool SectionOnlyIfMissing(const TOptionsList& section);  // RewriteMode "If Not Exists"
// "Description_" + language when it has a value, else "Description"; the same for Changes.
std::string SectionDescription(const TOptionsList& section, const std::string& language);
std::string SectionChanges(const TOptionsList& section, const std::string& language);

// A file entry ------------------------------------------------------------------------

struct TUpdateFileEntry {
    int64_t Size = 0;        // of the installed file
    uint32_t Crc = 0;        // of the installed file
    int64_t StoredSize = 0;  // of the file on the server (compressed or not)
    uint32_t StoredCrc = 0;
    std::string FileName;    // relative to the section's folder, as written in the index
};

// Decimal size of 0 or more.
bool ParseSizeField(const std::string& text, int64_t& size);
// Unsigned decimal CRC-32 (a signed 32-bit value is accepted as well).
bool ParseCrcField(const std::string& text, uint32_t& crc);
// The fields of a File_ value: all five for a compressed section; for another, fields
// 0 and 1 describe the stored file too and fields 2 and 3 are not read. 0, or
// BadSizeField / BadCrcField.
int ParseFileEntry(const std::string& value, bool compressed, TUpdateFileEntry& entry);
// Size and CRC of what is stored for the entry in a section: of the compressed file for
// a compressed section, of the file itself otherwise. Same results as ParseFileEntry.
int StoredSizeAndCrc(const TOptionsList& section, const std::string& value, int64_t& size, uint32_t& crc);

// A file name that stays inside its section's folder: not empty, relative (no leading
// "/" or "\", no drive "X:"), no ".." segment, no zero byte, not ending in a separator.
bool IsSafeFileName(const std::string& name);

// Folders ------------------------------------------------------------------------------

// The roots and addresses an updater works with. Folders are native and end in "/".
struct TUpdateFolders {
    std::string AppDir;         // the program's folder
    std::string CommonDir;      // the all-users application-data folder itself
    std::string UserDir;        // the per-user application-data folder itself
    std::string StagingFolder;  // the update work folder
    std::string BaseAddress;    // ends in "/"

    enum class Kind { Installed, Staging, Download };

    std::string StagingIndex() const { return StagingFolder + "index.dat"; }
    std::string IndexAddress() const { return BaseAddress + "index.dat"; }

    // The section's folder: its Path expanded with the values of the kind (installed:
    // the three roots; staging: staging folder + "appdir/", "commondir/", "userdir/";
    // download: the base address + the same), separators made "/" and runs of them
    // collapsed. Ends in "/".
    std::string SectionFolder(const TOptionsList& section, Kind kind) const;
    // The installed folder of a section lies inside one of the three roots (and has no
    // ".." segment).
    bool SafeSectionFolder(const TOptionsList& section) const;

    std::string InstalledFile(const TOptionsList& section, const std::string& fileName) const;
    std::string StagedFile(const TOptionsList& section, const std::string& fileName) const;
    // The download folder address + the file name, "\" as "/", with every byte below 33
    // or above 127 and '%', '#', '?' written as "%XX".
    std::string FileAddress(const TOptionsList& section, const std::string& fileName) const;
};

// The file name with "\" read as a separator.
std::string NativeFileName(const std::string& name);
// The byte encoding of FileAddress.
std::string EncodeAddressName(const std::string& name);

// Checks every update section of the index that has file entries: its folder must be
// safe (else CannotCreateFolder, what = the folder) and every file name too (else
// CannotCreateFile, what = the name). Returns 0 when nothing in the index could write
// outside its folders.
int CheckIndex(const TMultiOptions& index, const TUpdateFolders& folders, std::string& what);

// Copies an index (sections, lines and names).
void CopyIndex(const TMultiOptions& source, TMultiOptions& target);

} // namespace orlinda
