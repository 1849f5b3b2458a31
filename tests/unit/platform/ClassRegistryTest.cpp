#include "platform/com/ClassRegistry.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/com/Activation.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/com/ComPtr.h"

using vortan::com::ClassRegistry;
using vortan::com::FormatGuid;
using vortan::com::ParseGuid;
using vortan::test::ScopedEnv;
using vortan::test::TempDir;
using Path = std::filesystem::path;

namespace {

const CLSID kFlash = *ParseGuid("{01000039-2409-43F1-8BAC-7D0643B6159E}");
const CLSID kController = *ParseGuid("{5CE68222-DDD2-11D2-977D-00104B49CBE6}");

std::string ReadFile(const Path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Names(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(ClassRegistry, FindsClassesAndProgIdsAsWritten) {
    TempDir dir;
    const ClassRegistry registry(dir.WriteFile(
        "classes.ini", "; board plug-ins\n"
                       "[clsid]\n"
                       "  5ce68222-ddd2-11d2-977d-00104b49cbe6 = \"plugins/libctl.so\"  \n"
                       "{01000039-2409-43F1-8BAC-7D0643B6159E}=/opt/board/libflash.so\n"
                       "not-a-guid=/x.so\n"
                       "[ProgID]\n"
                       "ZEPH.VORTAN.Application.7={0100003B-2409-43F1-8BAC-7D0643B6159E}\n"
                       "Broken=nonsense\n"));
    EXPECT_EQ(registry.FindClassPath(kController), Path(dir / "plugins/libctl.so"));
    EXPECT_EQ(registry.FindClassPath(kFlash), Path("/opt/board/libflash.so"));
    EXPECT_FALSE(registry.FindClassPath(IID_IDispatch).has_value());

    const auto app = registry.FindProgId("zeph.vortan.application.7");
    ASSERT_TRUE(app.has_value());
    EXPECT_EQ(vortan::com::FormatGuid(*app), "{0100003B-2409-43F1-8BAC-7D0643B6159E}");
    EXPECT_FALSE(registry.FindProgId("Broken").has_value());
    EXPECT_FALSE(registry.FindProgId("Other").has_value());
    EXPECT_FALSE(ClassRegistry(dir / "missing.ini").FindClassPath(kFlash).has_value());
}

TEST(ClassRegistry, WritesReplaceOneEntryAndKeepEverythingElse) {
    TempDir dir;
    const std::string file =
        dir.WriteFile("classes.ini", "# keep me\n"
                                     "[CLSID]\n"
                                     "{5CE68222-DDD2-11D2-977D-00104B49CBE6}=/old/libctl.so\n"
                                     "01000039-2409-43f1-8bac-7d0643b6159e=/old/libflash.so\n"
                                     "\n"
                                     "[Other]\n"
                                     "key=value\n");
    ClassRegistry registry(file);
    ASSERT_EQ(registry.RegisterClassPath(kFlash, "/new/libflash.so"), S_OK);
    ASSERT_EQ(registry.RegisterProgId("ZEPH.VORTAN.Application.7", kController), S_OK);
    const std::string kept = "# keep me\n"
                             "[CLSID]\n"
                             "{5CE68222-DDD2-11D2-977D-00104B49CBE6}=/old/libctl.so\n"
                             "{01000039-2409-43F1-8BAC-7D0643B6159E}=/new/libflash.so\n"
                             "\n"
                             "[Other]\n"
                             "key=value\n"
                             "\n"
                             "[ProgID]\n";
    EXPECT_EQ(ReadFile(file),
              kept + "ZEPH.VORTAN.Application.7={5CE68222-DDD2-11D2-977D-00104B49CBE6}\n");

    // Registering a ProgID again in another case replaces it; unregistering removes only it.
    ASSERT_EQ(registry.RegisterProgId("zeph.vortan.application.7", kFlash), S_OK);
    EXPECT_EQ(registry.FindProgId("ZEPH.VORTAN.Application.7"), kFlash);
    EXPECT_EQ(registry.UnregisterProgId("ZEPH.VORTAN.APPLICATION.7"), S_OK);
    EXPECT_EQ(registry.UnregisterProgId("ZEPH.VORTAN.Application.7"), S_FALSE);
    EXPECT_EQ(ReadFile(file), kept);
    // Nothing but the registry and its lock file is left in the directory.
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"classes.ini", "classes.ini.lock"}));
}

TEST(ClassRegistry, CreatesTheFileAndRefusesTextsThatCannotStandInIt) {
    TempDir dir;
    ClassRegistry registry(dir / "new/dir/classes.ini");
    ASSERT_EQ(registry.RegisterClassPath(kFlash, "libflash.so"), S_OK);
    EXPECT_EQ(ReadFile(dir / "new/dir/classes.ini"),
              "[CLSID]\n{01000039-2409-43F1-8BAC-7D0643B6159E}=libflash.so\n");

    EXPECT_EQ(registry.RegisterClassPath(kFlash, ""), E_INVALIDARG);
    EXPECT_EQ(registry.RegisterClassPath(kFlash, "a\nb.so"), E_INVALIDARG);
    for (const char* progId : {"a=b", "[x]", ""})
        EXPECT_EQ(registry.RegisterProgId(progId, kFlash), E_INVALIDARG) << progId;
    EXPECT_EQ(registry.FindClassPath(kFlash), Path(dir / "new/dir/libflash.so"));
}

TEST(ClassRegistry, FailedWriteLeavesNothingBehind) {
    TempDir dir;
    // The registry path names something that cannot be read as a file: nothing is written.
    EXPECT_EQ(ClassRegistry(dir.MakeDir("classes.ini")).RegisterClassPath(kFlash, "/x.so"), E_FAIL);
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"classes.ini", "classes.ini.lock"}));

    // Its directory is a file: nothing can be created.
    dir.WriteFile("plain", "x");
    EXPECT_EQ(ClassRegistry(dir / "plain/classes.ini").RegisterProgId("A.B", kFlash), E_FAIL);
    EXPECT_EQ(ReadFile(dir / "plain"), "x");
}

TEST(ClassRegistry, DefaultPathFollowsTheEnvironment) {
    {
        ScopedEnv classes("VORTAN_CLASSES", "/tmp/x/classes.ini");
        EXPECT_EQ(ClassRegistry::DefaultPath(), Path("/tmp/x/classes.ini"));
    }
    ScopedEnv noClasses("VORTAN_CLASSES", "");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(ClassRegistry::DefaultPath(), Path("/cfg/vortan/classes.ini"));
    }
    ScopedEnv noConfig("XDG_CONFIG_HOME", "");
    ScopedEnv home("HOME", "/home/u");
    EXPECT_EQ(ClassRegistry::DefaultPath(), Path("/home/u/.config/vortan/classes.ini"));
}

TEST(ClassRegistry, SystemWideFilesAnswerAfterTheUsersOwn) {
    TempDir dir;
    ScopedEnv noClasses("VORTAN_CLASSES", "");
    ScopedEnv config("XDG_CONFIG_HOME", dir / "home");
    ScopedEnv configDirs("XDG_CONFIG_DIRS", dir / "sys1:relative:" + dir / "sys2");
    for (const char* sys : {"sys1/vortan", "sys2/vortan"})
        std::filesystem::create_directories(dir / sys);
    dir.WriteFile("sys1/vortan/classes.ini", "[CLSID]\n" + FormatGuid(kFlash) + "=/1/f.so\n");
    dir.WriteFile("sys2/vortan/classes.ini",
                  "[CLSID]\n" + FormatGuid(kFlash) + "=/2/f.so\n" + FormatGuid(kController) +
                      "=c.so\n[ProgID]\nA.B=" + FormatGuid(kController) + "\n");
    // Found only system-wide, the first directory first; relative to the file that names it.
    EXPECT_EQ(ClassRegistry::LookUpClass(kFlash), Path("/1/f.so"));
    EXPECT_EQ(ClassRegistry::LookUpClass(kController), Path(dir / "sys2/vortan/c.so"));
    EXPECT_EQ(ClassRegistry::LookUpProgId("a.b"), kController);
    vortan::com::ComPtr<IUnknown> object; // activation finds the class, not its plug-in
    EXPECT_EQ(CoCreateInstance(kFlash, nullptr, CLSCTX_ALL, IID_IUnknown, object.OutVoid()),
              CO_E_DLLNOTFOUND);

    ASSERT_EQ(ClassRegistry(ClassRegistry::DefaultPath()).RegisterClassPath(kFlash, "/u.so"), S_OK);
    EXPECT_EQ(ClassRegistry::LookUpClass(kFlash), Path("/u.so"));
    {
        ScopedEnv classes("VORTAN_CLASSES", dir / "private.ini");
        EXPECT_FALSE(ClassRegistry::LookUpClass(kController).has_value());
    }
    ScopedEnv noDirs("XDG_CONFIG_DIRS", "");
    EXPECT_EQ(ClassRegistry::SearchPath().back(), Path("/etc/xdg/vortan/classes.ini"));
}
