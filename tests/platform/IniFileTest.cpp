#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "support/TextFiles.h"
#include "support/WriteLimit.h"

namespace fs = std::filesystem;

namespace {

std::string TmpPath(const std::string& name)
{
    const char* t = std::getenv("JUX_TEST_TMP");
    fs::path dir = t && *t ? fs::path(t) : fs::temp_directory_path() / "jux_ini_test";
    fs::create_directories(dir);
    return (dir / name).string();
}

using textfiles::Get;
using textfiles::Put;

} // namespace

TEST(IniFile, MissingFileAnswersDefaults)
{
    const std::string path = TmpPath("missing.ini");
    fs::remove(path);
    TIniFile ini(path);
    EXPECT_FALSE(ini.Loaded());
    EXPECT_EQ(ini.ReadString("S", "k", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("S", "k", -7), -7);
    EXPECT_FALSE(ini.SectionExists("S"));
}

TEST(IniFile, SectionsAndKeysAreCaseInsensitive)
{
    const std::string path = TmpPath("case.ini");
    Put(path, "[DrawParams]\r\nApp=JUX\r\n  TotalTestDraws =  50 \r\n");
    TIniFile ini(path);
    EXPECT_TRUE(ini.Loaded());
    EXPECT_EQ(ini.ReadString("drawparams", "APP", ""), "JUX");
    EXPECT_EQ(ini.ReadInteger("DRAWPARAMS", "totaltestdraws", 0), 50);
    EXPECT_TRUE(ini.ValueExists("DrawParams", "app"));

    // Writing under another spelling replaces the value, keeps the original key.
    ini.WriteString("DRAWPARAMS", "app", "XYZ");
    EXPECT_EQ(ini.ReadString("DrawParams", "App", ""), "XYZ");
    EXPECT_EQ(ini.ReadSection("drawparams"), (std::vector<std::string>{"App", "TotalTestDraws"}));
}

TEST(IniFile, IntegerValues)
{
    struct Case {
        const char* value;
        int32_t expected;
    } cases[] = {
        {"42", 42},
        {"-5", -5},
        {" +7 ", 7},
        {"0x10", 16},
        {"$ff", 255},
        {"12abc", -1},
        {"", -1},
        {"abc", -1},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", -1},
        {"99999999999999999999", -1},
        {"-", -1},
        {"1 2", -1},
    };
    const std::string path = TmpPath("ints.ini");
    std::string text = "[S]\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        text += "k" + std::to_string(i) + "=" + cases[i].value + "\n";
    Put(path, text);
    TIniFile ini(path);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadInteger("S", "k" + std::to_string(i), -1), cases[i].expected) << "'" << cases[i].value << "'";
}

TEST(IniFile, WritingPreservesOtherSectionsKeysAndOrder)
{
    const std::string path = TmpPath("preserve.ini");
    Put(path, "; a comment\n[First]\nb=2\na=1\n\n[Second]\nz=26\nnot a key line\ny=25\n");
    {
        TIniFile ini(path);
        ini.WriteInteger("second", "Y", 99);
        ini.WriteString("Second", "x", "new");
        ini.WriteString("Third", "k", "v");
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(Get(path), "; a comment\n[First]\nb=2\na=1\n\n[Second]\nz=26\nnot a key line\ny=99\nx=new\n\n"
                         "[Third]\nk=v\n");
    TIniFile again(path);
    EXPECT_EQ(again.ReadSections(), (std::vector<std::string>{"First", "Second", "Third"}));
    EXPECT_EQ(again.ReadSection("First"), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(again.ReadInteger("First", "a", 0), 1);
    EXPECT_EQ(again.ReadString("Third", "k", ""), "v");
}

TEST(IniFile, NewKeyGoesBeforeTrailingBlankLines)
{
    const std::string path = TmpPath("blank.ini");
    Put(path, "[A]\nx=1\n\n[B]\ny=2\n");
    TIniFile ini(path);
    ini.WriteString("A", "z", "3");
    EXPECT_EQ(ini.Text(), "[A]\nx=1\nz=3\n\n[B]\ny=2\n");
}

TEST(IniFile, DeleteKeyAndEraseSection)
{
    const std::string path = TmpPath("erase.ini");
    Put(path, "[A]\nx=1\ny=2\n[B]\nz=3\n");
    TIniFile ini(path);
    EXPECT_TRUE(ini.DeleteKey("a", "X"));
    EXPECT_FALSE(ini.DeleteKey("A", "x"));
    EXPECT_TRUE(ini.EraseSection("b"));
    EXPECT_FALSE(ini.SectionExists("B"));
    EXPECT_EQ(ini.Text(), "[A]\ny=2\n");
}

TEST(IniFile, FirstOfDuplicateKeysWins)
{
    const std::string path = TmpPath("dup.ini");
    Put(path, "[A]\nk=first\nK=second\n[a]\nk=third\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("A", "k", ""), "first");
    ini.WriteString("A", "k", "new");
    EXPECT_EQ(ini.Text(), "[A]\nk=new\nK=second\n[a]\nk=third\n");
}

TEST(IniFile, LineBreaksInValuesCannotAddLines)
{
    const std::string path = TmpPath("inject.ini");
    fs::remove(path);
    TIniFile ini(path);
    ini.WriteString("A", "k", "v\n[Evil]\r\nApp=JUX");
    ini.WriteString("A", "bad=key", "1");
    ini.WriteString("A", "", "1");
    ASSERT_TRUE(ini.UpdateFile());
    TIniFile back(path);
    EXPECT_FALSE(back.SectionExists("Evil"));
    EXPECT_EQ(back.ReadSection("A"), (std::vector<std::string>{"k"}));
    EXPECT_EQ(back.ReadString("A", "k", ""), "v [Evil]  App=JUX");
}

TEST(IniFile, DamagedContentNeverCrashes)
{
    const std::string path = TmpPath("junk.ini");
    std::mt19937 rng(1234);
    for (int round = 0; round < 50; ++round) {
        std::string junk(1 + rng() % 4000, '\0');
        for (char& c : junk)
            c = static_cast<char>(rng() % 256);
        if (round % 5 == 0)
            junk = "[DrawParams]\n" + junk + "\nApp=JUX\n[\n]\n=\n===\n[x";
        Put(path, junk);
        TIniFile ini(path);
        EXPECT_TRUE(ini.Loaded());
        (void)ini.ReadString("DrawParams", "App", "");
        (void)ini.ReadInteger("DrawParams", "TotalTestDraws", 0);
        ini.WriteString("DrawParams", "App", "JUX");
        ASSERT_TRUE(ini.UpdateFile());
        TIniFile back(path);
        EXPECT_EQ(back.ReadString("DrawParams", "App", ""), "JUX") << "round " << round;
    }
}

TEST(IniFile, HugeFileIsNotParsed)
{
    const std::string path = TmpPath("huge.ini");
    std::string big = "[A]\nk=1\n";
    big += std::string(TIniFile::kMaxFileBytes, 'x');
    Put(path, big);
    TIniFile ini(path);
    EXPECT_FALSE(ini.Loaded());
    EXPECT_EQ(ini.ReadInteger("A", "k", 5), 5);
}

TEST(IniFile, UnwritablePathReportsFailure)
{
    TIniFile ini(TmpPath("no_such_dir") + "/sub/x.ini");
    ini.WriteString("A", "k", "v");
    std::string error;
    EXPECT_FALSE(ini.UpdateFile(&error));
    EXPECT_FALSE(error.empty());
}

TEST(IniFile, ADirectoryIsNotReadAsAFile)
{
    const std::string dir = TmpPath("adir.ini");
    fs::create_directories(dir);
    TIniFile ini(dir);
    EXPECT_FALSE(ini.Loaded());
    EXPECT_FALSE(ini.UpdateFile());
}

// Leftovers of a failed write beside the file (the temporary it was written to).
size_t FilesIn(const std::string& dir)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++n;
    return n;
}

TEST(IniFile, FailedWriteKeepsTheOldFile)
{
    const std::string dir = TmpPath("failed_write");
    fs::create_directories(dir);
    const std::string path = dir + "/opts.ini";
    const std::string old = "[A]\nk=old\n";
    Put(path, old);
    TIniFile ini(path);
    ini.WriteString("A", "k", std::string(4096, 'n'));
    {
        TWriteLimit limit(1024);
        ASSERT_TRUE(limit.Active());
        std::string error;
        EXPECT_FALSE(ini.UpdateFile(&error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(Get(path), old);
    EXPECT_EQ(FilesIn(dir), 1u);
}
