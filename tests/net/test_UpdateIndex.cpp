// The update index: its entries, where its files go and which names are refused.
#include "net/UpdateIndex.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orlinda;

namespace {

TUpdateFolders Folders()
{
    TUpdateFolders f;
    f.AppDir = "/opt/orlinda/";
    f.CommonDir = "/var/lib/common/";
    f.UserDir = "/home/u/.local/share/";
    f.StagingFolder = "/home/u/.local/share/Tarvell/Orlinda/update/";
    f.BaseAddress = "http://updates.example/update/";
    return f;
}

TOptionsList Section(const std::string& path, bool compressed = false)
{
    TOptionsList s;
    s.FSectionName = "Section_Test";
    s.SetValue("Path", path);
    if (compressed)
        s.SetValue("Compression", "bzip2");
    return s;
}

} // namespace

TEST(UpdateIndex, SectionFoldersOfEachKind)
{
    struct Case {
        const char* path;
        const char* installed;
        const char* staging;
        const char* download;
    } cases[] = {
        {"{{AppDir}}", "/opt/orlinda/", "/home/u/.local/share/Tarvell/Orlinda/update/appdir/",
         "http://updates.example/update/appdir/"},
        {"{{AppDir}}\\skins\\", "/opt/orlinda/skins/", "/home/u/.local/share/Tarvell/Orlinda/update/appdir/skins/",
         "http://updates.example/update/appdir/skins/"},
        {"{{CommonDir}}Tarvell\\\\Orlinda", "/var/lib/common/Tarvell/Orlinda/",
         "/home/u/.local/share/Tarvell/Orlinda/update/commondir/Tarvell/Orlinda/",
         "http://updates.example/update/commondir/Tarvell/Orlinda/"},
        {"{{userdir}}Tarvell/Orlinda/", "/home/u/.local/share/Tarvell/Orlinda/",
         "/home/u/.local/share/Tarvell/Orlinda/update/userdir/Tarvell/Orlinda/",
         "http://updates.example/update/userdir/Tarvell/Orlinda/"},
    };
    const TUpdateFolders f = Folders();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        TOptionsList s = Section(c.path);
        EXPECT_EQ(f.SectionFolder(s, TUpdateFolders::Kind::Installed), c.installed);
        EXPECT_EQ(f.SectionFolder(s, TUpdateFolders::Kind::Staging), c.staging);
        EXPECT_EQ(f.SectionFolder(s, TUpdateFolders::Kind::Download), c.download);
        EXPECT_TRUE(f.SafeSectionFolder(s));
    }
}

TEST(UpdateIndex, FilePathsAndAddresses)
{
    const TUpdateFolders f = Folders();
    TOptionsList s = Section("{{AppDir}}");
    EXPECT_EQ(f.InstalledFile(s, "sounds\\chime.wav"), "/opt/orlinda/sounds/chime.wav");
    EXPECT_EQ(f.StagedFile(s, "sounds\\chime.wav"),
              "/home/u/.local/share/Tarvell/Orlinda/update/appdir/sounds/chime.wav");
    // Blanks, 8-bit bytes and the characters that would end the path are escaped.
    EXPECT_EQ(f.FileAddress(s, "sounds\\new chime.wav"), "http://updates.example/update/appdir/sounds/new%20chime.wav");
    EXPECT_EQ(f.FileAddress(s, "\xCF\xF0\xE8\xE2\xE5\xF2.txt"),
              "http://updates.example/update/appdir/%CF%F0%E8%E2%E5%F2.txt");
    EXPECT_EQ(f.FileAddress(s, "50%#1?.txt"), "http://updates.example/update/appdir/50%25%231%3F.txt");
}

TEST(UpdateIndex, FileEntriesReadTheFieldsTheSectionUses)
{
    TUpdateFileEntry e;
    ASSERT_EQ(ParseFileEntry("120|4294967295|80|2147483648|data\\a.dat", true, e), 0);
    EXPECT_EQ(e.Size, 120);
    EXPECT_EQ(e.Crc, 4294967295u);
    EXPECT_EQ(e.StoredSize, 80);
    EXPECT_EQ(e.StoredCrc, 2147483648u);
    EXPECT_EQ(e.FileName, "data\\a.dat");

    // Without compression the stored fields need not be filled in.
    ASSERT_EQ(ParseFileEntry("5|-1|||a.txt", false, e), 0);
    EXPECT_EQ(e.StoredSize, 5);
    EXPECT_EQ(e.StoredCrc, 0xFFFFFFFFu);

    EXPECT_EQ(ParseFileEntry("x|1|1|1|a", false, e), UpdaterCode::BadSizeField);
    EXPECT_EQ(ParseFileEntry("-5|1|1|1|a", false, e), UpdaterCode::BadSizeField);
    EXPECT_EQ(ParseFileEntry("5|abc|1|1|a", false, e), UpdaterCode::BadCrcField);
    EXPECT_EQ(ParseFileEntry("5|4294967296|1|1|a", false, e), UpdaterCode::BadCrcField);
    EXPECT_EQ(ParseFileEntry("5|1||1|a", true, e), UpdaterCode::BadSizeField);
    EXPECT_EQ(ParseFileEntry("5|1|1||a", true, e), UpdaterCode::BadCrcField);

    TOptionsList plain = Section("{{AppDir}}"), packed = Section("{{AppDir}}", true);
    int64_t size = 0;
    uint32_t crc = 0;
    ASSERT_EQ(StoredSizeAndCrc(packed, "10|11|12|13|a", size, crc), 0);
    EXPECT_EQ(size, 12);
    EXPECT_EQ(crc, 13u);
    ASSERT_EQ(StoredSizeAndCrc(plain, "10|11|12|13|a", size, crc), 0);
    EXPECT_EQ(size, 10);
    EXPECT_EQ(crc, 11u);
}

TEST(UpdateIndex, SectionFlags)
{
    TOptionsList s = Section("{{AppDir}}");
    EXPECT_FALSE(SectionCompressed(s));
    EXPECT_FALSE(SectionNeedsRestart(s));
    EXPECT_FALSE(SectionOnlyIfMissing(s));
    s.SetValue("Compression", "None");
    s.SetValue("RestartMode", "Not Necessary");
    EXPECT_FALSE(SectionCompressed(s));
    EXPECT_FALSE(SectionNeedsRestart(s));
    s.SetValue("Compression", "BZip2");
    s.SetValue("RestartMode", "Restart");
    s.SetValue("RewriteMode", "If Not Exists");
    s.SetBool("Optional", true);
    EXPECT_TRUE(SectionCompressed(s));
    EXPECT_TRUE(SectionNeedsRestart(s));
    EXPECT_TRUE(SectionOnlyIfMissing(s));
    EXPECT_TRUE(SectionOptional(s));
    EXPECT_FALSE(SectionChecked(s));

    s.SetValue("Description", "Sounds");
    EXPECT_EQ(SectionDescription(s, "ru"), "Sounds");
    s.SetValue("Description_ru", "\xC7\xE2\xF3\xEA\xE8");
    EXPECT_EQ(SectionDescription(s, "ru"), "\xC7\xE2\xF3\xEA\xE8");

    TOptionsList other;
    other.FSectionName = "General";
    EXPECT_FALSE(IsUpdateSection(other));
    other.FSectionName = "Main_Section_1";
    EXPECT_TRUE(IsUpdateSection(other));
}

TEST(UpdateIndex, NamesThatLeaveTheirFolderAreRefused)
{
    for (const char* name : {"a.txt", "sub\\b.txt", "sub/c/d.txt", "a..b", ".hidden", "..x", "x.."})
        EXPECT_TRUE(IsSafeFileName(name)) << name;
    for (const char* name : {"", "..", "..\\evil.txt", "sub/../../evil.txt", "sub\\..", "/etc/passwd",
                             "\\windows\\evil.dll", "C:\\evil.txt", "c:evil.txt", "sub\\"})
        EXPECT_FALSE(IsSafeFileName(name)) << name;
    EXPECT_FALSE(IsSafeFileName(std::string("a\0b", 3)));
}

TEST(UpdateIndex, CheckIndexRefusesFoldersAndNamesOutsideTheRoots)
{
    const TUpdateFolders f = Folders();
    struct Case {
        const char* path;
        const char* name;
        int code;
    } cases[] = {
        {"{{AppDir}}", "ok.txt", 0},
        {"{{UserDir}}Tarvell\\Orlinda\\", "sub\\ok.txt", 0},
        {"{{AppDir}}", "..\\..\\etc\\evil", UpdaterCode::CannotCreateFile},
        {"{{AppDir}}", "/etc/evil", UpdaterCode::CannotCreateFile},
        {"{{AppDir}}..\\", "ok.txt", UpdaterCode::CannotCreateFolder},
        {"{{AppDir}}sub\\..\\..\\", "ok.txt", UpdaterCode::CannotCreateFolder},
        {"/etc/", "ok.txt", UpdaterCode::CannotCreateFolder},
        {"", "ok.txt", UpdaterCode::CannotCreateFolder},
        {"{{Windows}}", "ok.txt", UpdaterCode::CannotCreateFolder},
        {"C:\\Windows\\", "ok.txt", UpdaterCode::CannotCreateFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " + " + c.name);
        TMultiOptions index;
        TOptionsList* s = index.FindOrAdd("Section_1");
        s->SetValue("Path", c.path);
        s->SetValue("File_1", std::string("1|2|1|2|") + c.name);
        // Other sections are not looked at.
        index.FindOrAdd("About")->SetValue("Path", "/etc/");
        std::string what;
        EXPECT_EQ(CheckIndex(index, f, what), c.code);
        if (c.code == UpdaterCode::CannotCreateFile) {
            EXPECT_EQ(what, c.name);
        }
    }
}

TEST(UpdateIndex, BaseAddress)
{
    ::unsetenv(UpdateAddressVariable);
    EXPECT_EQ(UpdateBaseAddress(nullptr), DefaultUpdateAddress);
    TOptionsList settings;
    settings.SetValue(UpdateAddressSetting, "https://mirror.example/update");
    EXPECT_EQ(UpdateBaseAddress(&settings), "https://mirror.example/update/");
    ::setenv(UpdateAddressVariable, "http://127.0.0.1:8080/u/", 1);
    EXPECT_EQ(UpdateBaseAddress(&settings), "http://127.0.0.1:8080/u/");
    ::unsetenv(UpdateAddressVariable);
}

TEST(UpdateIndex, CodeTexts)
{
    EXPECT_EQ(UpdaterCodeText(3101), "Cannot delete index file");
    EXPECT_EQ(UpdaterCodeText(3104), "Cannot create folder %s");
    EXPECT_EQ(UpdaterCodeText(3114), "Decompession error");
    EXPECT_EQ(UpdaterCodeText(3116), "There`s nothing to update");
    EXPECT_EQ(UpdaterCodeText(3100), "");
    EXPECT_EQ(UpdaterCodeText(3117), "");
}
