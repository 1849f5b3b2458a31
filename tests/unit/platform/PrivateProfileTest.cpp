#include "platform/profile/PrivateProfile.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/profile/ProfileCache.h"
#include "platform/profile/ProfileScanner.h"
#include "support/TempDir.h"

using vortan::profile::ProfileCache;
using vortan::test::TempDir;

namespace {

// The program's reader (an index kept per file) and the scan of the file must agree on every
// case below.
using Reader = DWORD (*)(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR);
const Reader g_readers[] = {&GetPrivateProfileStringA, &vortan::profile::ProfileScanner::Read};
Reader g_reader = &GetPrivateProfileStringA;

struct Result {
    std::string text;
    DWORD copied = 0;
};

// Looks the key up with a buffer of `size` bytes and checks the zero after the copied bytes.
Result Lookup(const std::string& file, const char* section, const char* key,
              const char* fallback = "<default>", DWORD size = 260) {
    std::string buffer(size + 1, '#');
    Result r;
    r.copied = g_reader(section, key, fallback, buffer.data(), size, file.c_str());
    if (size > 0) {
        EXPECT_LT(r.copied, size);
        EXPECT_EQ(buffer[r.copied], '\0');
    }
    EXPECT_EQ(buffer[size], '#') << "wrote past the buffer";
    r.text.assign(buffer.data(), r.copied);
    return r;
}

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(byte(gen));
    return bytes;
}

class ProfileReaders : public testing::TestWithParam<Reader> {
protected:
    void SetUp() override { g_reader = GetParam(); }
};

} // namespace

TEST_P(ProfileReaders, MatchesSectionsAndKeysWithoutCaseAndTrims) {
    TempDir dir;
    const std::string file = dir.WriteFile("texts.ini", "Orphan=before any section\n"
                                                        "; comment line\n"
                                                        "[Section1]\n"
                                                        "5077 = Hello World  \t\n"
                                                        "Quoted=\"  padded  \"\n"
                                                        "Single= 'x' \n"
                                                        "Mismatch=\"abc'\n"
                                                        "Lone=\"\n"
                                                        "Inner=say \"hi\" now\n"
                                                        "Empty=\n"
                                                        "my key = v=w\n"
                                                        "NoEquals line\n"
                                                        ";Hidden=comment\n"
                                                        "  ;Indented=comment\n"
                                                        "[ Other ] trailing text\n"
                                                        "5077=Other\n"
                                                        "[Broken\n"
                                                        "Tail=still in Other\n");
    struct Case {
        const char* section;
        const char* key;
        std::string text;
    };
    const Case cases[] = {
        {"Section1", "5077", "Hello World"},
        {"SECTION1", "5077", "Hello World"},
        {"section1", "QUOTED", "  padded  "},
        {"Section1", "Single", "x"},
        {"Section1", "Mismatch", "\"abc'"},
        {"Section1", "Lone", "\""},
        {"Section1", "Inner", "say \"hi\" now"},
        {"Section1", "Empty", ""},
        {"Section1", "my key", "v=w"},
        {"other", "5077", "Other"},
        {"Other", "Tail", "still in Other"},
        {"Section1", "Missing", "<default>"},
        {"Section1", "NoEquals line", "<default>"},
        {"Section1", "Hidden", "<default>"},
        {"Section1", "Indented", "<default>"},
        {"Section1", "Orphan", "<default>"},
        {"Section", "5077", "<default>"},
        {"Broken", "Tail", "<default>"},
    };
    for (const Case& c : cases) {
        const Result r = Lookup(file, c.section, c.key);
        EXPECT_EQ(r.text, c.text) << c.section << "/" << c.key;
        EXPECT_EQ(r.copied, c.text.size()) << c.section << "/" << c.key;
    }
}

TEST_P(ProfileReaders, FirstOccurrenceWins) {
    TempDir dir;
    const std::string file = dir.WriteFile("dup.ini", "[A]\n"
                                                      "k=first\n"
                                                      "K=second\n"
                                                      "[B]\n"
                                                      "k=other section\n"
                                                      "[a]\n"
                                                      "k=third\n"
                                                      "only=in repeated section\n");
    EXPECT_EQ(Lookup(file, "A", "k").text, "first");
    // A repeated section is searched as well when the first one lacks the key.
    EXPECT_EQ(Lookup(file, "A", "only").text, "in repeated section");
    EXPECT_EQ(Lookup(file, "B", "k").text, "other section");
}

TEST_P(ProfileReaders, AcceptsEveryLineEndAndByteOrderMark) {
    TempDir dir;
    const std::string file =
        dir.WriteFile("ends.ini", "\xEF\xBB\xBF[A]\r\nk1=v1\r\n[B]\rk2=v2\rk3=v3\n[C]\nk4=v4");
    EXPECT_EQ(Lookup(file, "A", "k1").text, "v1");
    EXPECT_EQ(Lookup(file, "B", "k2").text, "v2");
    EXPECT_EQ(Lookup(file, "B", "k3").text, "v3");
    EXPECT_EQ(Lookup(file, "C", "k4").text, "v4"); // last line without line end
}

TEST_P(ProfileReaders, CutsAtTheBufferWithoutSplittingCharacters) {
    TempDir dir;
    const std::string file = dir.WriteFile("cut.ini", "[S]\n"
                                                      "plain=abcdef\n"
                                                      "quoted=\"abcdef\"\n"
                                                      "umlaut=a\xC3\xA9z\n");
    struct Case {
        const char* key;
        const char* fallback;
        DWORD size;
        std::string text;
    };
    const Case cases[] = {
        {"plain", "x", 4, "abc"},         {"plain", "x", 7, "abcdef"},
        {"plain", "x", 6, "abcde"},       {"plain", "x", 1, ""},
        {"quoted", "x", 4, "abc"},        {"quoted", "x", 7, "abcdef"},
        {"umlaut", "x", 3, "a"}, // two bytes would end inside the é
        {"umlaut", "x", 4, "a\xC3\xA9"},  {"missing", "defaults", 4, "def"},
        {"missing", "d\xC3\xA9", 3, "d"}, {"missing", nullptr, 10, ""},
    };
    for (const Case& c : cases) {
        const Result r = Lookup(file, "S", c.key, c.fallback, c.size);
        EXPECT_EQ(r.text, c.text) << c.key << " size " << c.size;
    }

    char untouched[4] = "abc";
    EXPECT_EQ(g_reader("S", "plain", "x", untouched, 0, file.c_str()), 0u);
    EXPECT_STREQ(untouched, "abc");
}

TEST_P(ProfileReaders, UnreadableFilesGiveTheDefault) {
    TempDir dir;
    EXPECT_EQ(Lookup(dir / "missing.ini", "S", "k").text, "<default>");
    EXPECT_EQ(Lookup(dir.Path(), "S", "k").text, "<default>"); // a directory
    EXPECT_EQ(Lookup(dir.WriteFile("empty.ini", ""), "S", "k").text, "<default>");
    // Files that never end, or never start, must not hang the lookup.
    EXPECT_EQ(Lookup("/dev/zero", "S", "k").text, "<default>");
    const std::string fifo = dir / "fifo.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Lookup(fifo, "S", "k").text, "<default>");

    const Result unsupported = Lookup(dir.WriteFile("a.ini", "[S]\nk=v\n"), nullptr, "k");
    EXPECT_EQ(unsupported.text, "<default>");
}

TEST_P(ProfileReaders, SurvivesBinaryContent) {
    TempDir dir;
    const std::string garbage = RandomBytes(1 << 20, 4711);
    ASSERT_NE(garbage.find('\0'), std::string::npos);
    EXPECT_EQ(Lookup(dir.WriteFile("garbage.ini", garbage), "S", "k").text, "<default>");

    // Garbage before a valid section does not hide it.
    const std::string mixed = dir.WriteFile("mixed.ini", garbage + "\n[S]\nk=found\n");
    EXPECT_EQ(Lookup(mixed, "S", "k").text, "found");

    // NUL bytes are ordinary bytes: they neither end a line nor a value.
    const std::string nul =
        dir.WriteFile("nul.ini", std::string("[S]\nju\0nk=x\nk=v\0w\n[T\0]\nk=t\n", 27));
    const Result r = Lookup(nul, "S", "k");
    EXPECT_EQ(r.text, std::string("v\0w", 3));
    EXPECT_EQ(r.copied, 3u);
    EXPECT_EQ(Lookup(nul, std::string("T\0", 2).c_str(), "k").text, "<default>");
}

TEST_P(ProfileReaders, HandlesMegabyteLines) {
    TempDir dir;
    const std::string mb(1 << 20, 'y');
    const std::string file = dir.WriteFile(
        "long.ini", "[" + mb + "]\nk=wrong section\n" + "[S]\n" + mb + "\n" + mb + "=v\n" +
                        "long=" + mb + "\n" + "k=found\n" + "big=" + mb + "  \n" + "bigquoted=\"" +
                        mb + "\"\n" + "[" + std::string(300, ' ') + "T" + std::string(300, ' ') +
                        "]\nk=t\n");
    EXPECT_EQ(Lookup(file, "S", "k").text, "found");
    EXPECT_EQ(Lookup(file, "S", "big").text, std::string(259, 'y'));
    EXPECT_EQ(Lookup(file, "S", "bigquoted").text, std::string(259, 'y'));
    EXPECT_EQ(Lookup(file, "S", "big", "", 1u << 21).text, mb);
    EXPECT_EQ(Lookup(file, "S", "bigquoted", "", 1u << 21).text, mb);
    EXPECT_EQ(Lookup(file, "T", "k").text, "t");
}

INSTANTIATE_TEST_SUITE_P(CachedAndScanned, ProfileReaders, testing::ValuesIn(g_readers));

TEST(ProfileCache, ReadsAFileOnceAndAgainWhenItChanges) {
    TempDir dir;
    int reads = 0;
    ProfileCache cache([&](const char* path) {
        ++reads;
        return ProfileCache::ReadFile(path);
    });
    const std::string file = dir.WriteFile("t.ini", "[S]\nk=old\n");
    const auto age = [&] {
        std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() -
                                                   std::chrono::hours(1));
    };
    const auto lookup = [&](const char* path) {
        char buffer[16] = "";
        cache.Read("S", "k", "-", buffer, sizeof buffer, path);
        return std::string(buffer);
    };
    age();
    EXPECT_EQ(lookup(file.c_str()), "old");
    EXPECT_EQ(lookup(file.c_str()), "old");
    EXPECT_EQ(reads, 1);

    // Same size, fresh stamp: read again, and again while a further change could keep it.
    dir.WriteFile("t.ini", "[S]\nk=new\n");
    EXPECT_EQ(lookup(file.c_str()), "new");
    EXPECT_EQ(lookup(file.c_str()), "new");
    EXPECT_EQ(reads, 3);
    age();
    EXPECT_EQ(lookup(file.c_str()), "new");
    EXPECT_EQ(lookup(file.c_str()), "new");
    EXPECT_EQ(reads, 4);

    EXPECT_EQ(lookup(""), "-");
    EXPECT_EQ(lookup((dir / "missing.ini").c_str()), "-");
    EXPECT_EQ(reads, 4);
}
