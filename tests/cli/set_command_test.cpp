#include "cli/file_commands.h"
#include "cli_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <linux/capability.h>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace velmora::cli {
namespace {

using namespace cli_test;

CommandRun runSet(const std::filesystem::path& file, std::vector<std::string> assignments,
                  const std::filesystem::path& target) {
    assignments.insert(assignments.begin(), file.string());
    return run(setCommand, assignments, {{"-o", target.string()}});
}

// The same changes made by an operator at the window and by `set`: the file written
// must be the file the window saves after "Programma". The files loaded hold what no
// control shows (times kept while the panel is off), so every byte must come back.
TEST(SetCommand, WritesTheFrameTheWindowBuildsForTheSameChanges) {
    struct Case {
        const char* name;
        OperatorActions start; // the window that saved the input file
        std::vector<std::string> assignments;
        OperatorActions operatorDoes;
        const char* firstChangePrinted;
    };
    const std::vector<Case> cases{
        {"identity and tone",
         // the panel switched off after setting its times
         {"Check1=1", "Option3=1", "Check3(5)=1", "Txtsir=99", "txtin=17", "Txtout=240", "Check1=0",
          "Optrete(0)=1", "Check2=1"},
         {"Txtnumero=0101", "Txtgruppo=3", "Txtmodif2=255", "Combotono=123", "Textintert=20"},
         {"Txtnumero=0101", "Txtgruppo=3", "Txtmodif2=255", "Combotono=18", "Textintert=20"},
         "Numero periferico: 1 -> 101\n"},
        {"control panel and positions",
         {},
         {"Optbatt(2)=1", "Check1=1", "Optrete(3)=1", "Check3(2)=1", "Txtsir=240", "Check4=0"},
         {"Optbatt(2)=1", "Check1=1", "Optrete(3)=1", "Check3(2)=1", "Txtsir=240", "Check4=0"},
         "Posizione manca rete: nessuna -> 3\n"},
        {"a frequency of a busy UHF file",
         kBusyWindow,
         {"txttx=401.0125"},
         {"txttx=401.0125"},
         "Frequenza TX: 433.5000 -> 401.0125\n"},
        {"ranges and a cancelled position",
         // panel on, Ins/DIS 1, positions, no beep
         {"Check1=1", "Optrete(1)=1", "Optbatt(4)=1", "Check3(0)=1", "Check4=0"},
         {"Text2(3)=300", "Text3(3)=1200", "Optrete(1)=0", "Optbatt(1)=1"},
         {"Text2(3)=300", "Text3(3)=1200", "Command2", "Optbatt(1)=1"},
         "Posizione manca rete: 5 -> nessuna\n"},
    };
    for (const Case& test : cases) {
        Folder folder;
        FormModel window = windowAfter(test.start);
        const auto input = folder.save("in.prg", window);
        const CommandRun done = runSet(input, test.assignments, folder / "out.prg");
        ASSERT_EQ(done.status, ExitStatus::Done) << test.name << ": " << done.err;
        EXPECT_EQ(done.out.substr(0, done.out.find('\n') + 1), test.firstChangePrinted);
        act(window, test.operatorDoes);
        EXPECT_EQ(fileText(folder / "out.prg"), windowFileText(window)) << test.name;
    }
}

// What the window would not let an operator do is refused, named, and nothing is written.
// Which values each box takes are the leave check's rows; here one row per kind of refusal.
TEST(SetCommand, RefusesWhatTheWindowRefusesAndWritesNothing) {
    struct Case {
        std::vector<std::string> assignments;
        const char* named;
    };
    const std::vector<Case> cases{
        {{"Text1=0"}, "Text1: 0 is out of range for \"Numero ripetizioni\""},
        {{"Txtcodatt=12a"}, "'a' cannot be typed"},
        {{"Txtnumero=12345"}, "at most 4 characters"},
        {{"txttx=433.5"}, "in VHF"},
        {{"Option2=1", "txtrx=174"}, "in UHF"},
        {{"Txtsir=30"}, "Txtsir: disabled"},
        {{"Check3(1)=1"}, "Frame6 is disabled"},
        {{"Check4=1"}, "Check4: hidden"},
        {{"Check1=1", "Optrete(5)=1"}, "Optrete(5): disabled"},
        {{"Combotono=124"}, "no tone \"124\""},
        {{"Option1=0"}, "select the other option"},
        {{"Nothing=1"}, "no such control"},
        {{"Text2(0)=5"}, "Errore nei Range REP: Monodirezionali Range 1 (5 - 0)"},
    };
    for (const Case& test : cases) {
        Folder folder;
        const CommandRun refused =
            runSet(folder.save("in.prg", windowAfter()), test.assignments, folder / "out.prg");
        EXPECT_EQ(refused.status, ExitStatus::BadInput) << test.named;
        EXPECT_TRUE(holds(refused.err, test.named));
        EXPECT_FALSE(std::filesystem::exists(folder / "out.prg")) << test.named;
    }
}

// The user and group velmora-cli saves as (kAsOrdinaryUser) when this test runs as root.
constexpr uid_t kOrdinaryUser = 65534;
constexpr gid_t kSharedGroup = 100;

// The extended attributes of a name, the access control list among them, as
// "name=value" lines; a link's own.
std::string attributesOf(const std::filesystem::path& path) {
    char names[4096];
    char value[4096];
    const ssize_t size = ::llistxattr(path.c_str(), names, sizeof names);
    std::string listed;
    for (const char* name = names; name < names + size; name += std::strlen(name) + 1) {
        const ssize_t length = ::lgetxattr(path.c_str(), name, value, sizeof value);
        listed += " " + std::string(name) + "=" + std::string(value, std::max(length, ssize_t{0}));
    }
    return listed;
}

// Every name under `folder`: a link with its target, anything else with its kind and
// mode, its group, its extended attributes and, for a file but `changing`, its text.
std::set<std::string> listing(const std::filesystem::path& folder,
                              const std::filesystem::path& changing) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string name = entry.path().lexically_relative(folder).string();
        if (entry.is_symlink())
            name += " -> " + std::filesystem::read_symlink(entry.path()).string();
        else if (struct stat status{}; ::stat(entry.path().c_str(), &status) == 0)
            name += " " + std::to_string(status.st_mode) + " " + std::to_string(status.st_gid) +
                    attributesOf(entry.path());
        if (entry.is_regular_file() && !entry.is_symlink() && entry.path() != changing)
            name += " " + fileText(entry.path());
        names.insert(name);
    }
    return names;
}

std::optional<std::string> textIfAny(const std::filesystem::path& path) {
    if (!std::filesystem::is_regular_file(path))
        return std::nullopt;
    return fileText(path);
}

// Adds entries to a file's access control list with the acl package's own tool.
bool setfacl(const std::filesystem::path& path, const std::string& entries) {
    return std::system(
               ("setfacl -m " + entries + " '" + path.string() + "' 2>/dev/null").c_str()) == 0;
}

// A device node where the test may make one (root), otherwise a link to the null device:
// either way a name that leads to a device.
void makeDevice(const std::filesystem::path& path) {
    if (::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
        std::filesystem::create_symlink("/dev/null", path);
}

// `set ... -o NAME` writes the file named and only that, as an ordinary user: through a
// link, beside a link planted by someone else, over files whose rights, access control
// list and extended attributes must stay, in a folder the user may not write; a name that
// leads to a device, a pipe or a folder is never written. A refusal leaves everything as
// it was and says why. Whatever the outcome, every other name under the folder keeps its
// kind, rights, attributes and text.
TEST(SetCommand, SavesWhatWasNamedAndOnlyThat) {
    using std::filesystem::perms;
    namespace fs = std::filesystem;
    const std::string expected = windowFileText(windowAfter(OperatorActions{"Txtgruppo=3"}));
    const std::string old = "old\r\n";
    if (::geteuid() == 0 && !std::filesystem::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs setpriv (util-linux) to save as user 65534";
    struct Case {
        const char* name;
        std::function<void(const Folder&)> prepare;
        const char* target;
        const char* refusal; // none: saved
    };
    const std::vector<Case> cases{
        {"new file", [](const Folder&) {}, "out.prg", nullptr},
        {"through a link",
         [&](const Folder& folder) {
             fs::create_directory(folder / "real");
             writeText(folder / "real" / "unit.prg", old);
             fs::create_symlink("real/unit.prg", folder / "out.prg");
         },
         "out.prg", nullptr},
        {"a link planted at the old temporary name",
         [&](const Folder& folder) {
             writeText(folder / "victim", "victim");
             fs::create_symlink("victim", folder / ".out.prg.tmp");
             writeText(folder / "out.prg", old);
         },
         "out.prg", nullptr},
        {"group-shared file",
         [&](const Folder& folder) {
             writeText(folder / "out.prg", old);
             fs::permissions(folder / "out.prg", static_cast<perms>(0664));
         },
         "out.prg", nullptr},
        {"read-only file",
         [&](const Folder& folder) {
             writeText(folder / "out.prg", old);
             fs::permissions(folder / "out.prg", static_cast<perms>(0444));
         },
         "out.prg", "permesso negato"},
        {"writable file in a read-only folder",
         [&](const Folder& folder) {
             fs::create_directory(folder / "locked");
             writeText(folder / "locked" / "out.prg", old);
         },
         "locked/out.prg", nullptr},
        {"new file in a read-only folder",
         [&](const Folder& folder) { fs::create_directory(folder / "locked"); }, "locked/out.prg",
         "permesso negato"},
        {"missing folder", [](const Folder&) {}, "missing/out.prg", "cartella inesistente"},
        {"a folder under the name",
         [](const Folder& folder) { fs::create_directory(folder / "out.prg"); }, "out.prg",
         "è una cartella"},
        {"a file with an access control list and attributes",
         [&](const Folder& folder) {
             writeText(folder / "out.prg", old);
             ASSERT_TRUE(setfacl(folder / "out.prg", "u:1234:rw,g:100:r"));
             ASSERT_EQ(::setxattr((folder / "out.prg").c_str(), "user.velmora", "kept", 4, 0), 0);
         },
         "out.prg", nullptr},
        {"a device", [](const Folder& folder) { makeDevice(folder / "out.prg"); }, "out.prg",
         "è un dispositivo, non un file"},
        {"a link to a device",
         [](const Folder& folder) {
             makeDevice(folder / "unit");
             fs::create_symlink("unit", folder / "out.prg");
         },
         "out.prg", "è un dispositivo, non un file"},
        {"a named pipe",
         [](const Folder& folder) { ASSERT_EQ(::mkfifo((folder / "out.prg").c_str(), 0666), 0); },
         "out.prg", "è una pipe con nome (FIFO), non un file"},
    };
    if (std::system("setfacl --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs setfacl (the acl package) for access control lists";
    for (const Case& test : cases) {
        Folder folder;
        const auto input = folder.save("in.prg", windowAfter());
        const std::filesystem::path root = input.parent_path();
        test.prepare(folder);
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(root.c_str(), kOrdinaryUser, kOrdinaryUser), 0);
            for (const auto& entry : fs::recursive_directory_iterator(root))
                ASSERT_EQ(::lchown(entry.path().c_str(), kOrdinaryUser, kOrdinaryUser), 0);
        }
        if (::geteuid() == 0 && test.name == std::string("group-shared file")) {
            ASSERT_EQ(::chown((folder / "out.prg").c_str(), 0, kSharedGroup), 0);
        }
        if (fs::exists(folder / "locked"))
            fs::permissions(folder / "locked", static_cast<perms>(0555));
        // The file the name leads to, through a link if there is one.
        const fs::path written = fs::weakly_canonical(folder / test.target);
        const std::set<std::string> before = listing(root, written);
        const std::optional<std::string> was = textIfAny(written);
        const bool existed = fs::exists(written);

        const CliRun saved =
            runCli({"set", pathText(input), "Txtgruppo=3", "-o", pathText(folder / test.target)},
                   {}, 10000, ::geteuid() == 0 ? kAsOrdinaryUser : QStringList{});
        if (test.refusal) {
            EXPECT_TRUE(holds(saved.err, "Impossibile salvare il file \"" +
                                             (folder / test.target).string() +
                                             "\": " + test.refusal))
                << test.name;
            EXPECT_EQ(textIfAny(written), was) << test.name;
        } else {
            EXPECT_EQ(saved.exitCode, 0) << test.name << ": " << saved.err;
            EXPECT_EQ(textIfAny(written), expected) << test.name;
        }
        std::set<std::string> after = listing(root, written);
        if (!existed) // a new file: its own rights are the save's
            std::erase_if(after, [&](const std::string& name) {
                return name.starts_with(written.lexically_relative(root).string() + " ");
            });
        EXPECT_EQ(after, before) << test.name;
        if (fs::exists(folder / "locked"))
            fs::permissions(folder / "locked", static_cast<perms>(0755));
    }
}

// Where the saving user may not set an attribute of the old file (a file capability
// needs a privilege), the save still goes through and says what it could not keep.
TEST(SetCommand, SaysWhichAttributesItCouldNotKeep) {
    if (::geteuid() != 0 || !std::filesystem::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs root to give a file a capability, and setpriv to save as user "
                        "65534";
    Folder folder;
    const auto input = folder.save("in.prg", windowAfter());
    const auto out = folder / "out.prg";
    writeText(out, "old\r\n");
    for (const auto& path : {input.parent_path(), input, out})
        ASSERT_EQ(::chown(path.c_str(), kOrdinaryUser, kOrdinaryUser), 0);
    vfs_cap_data capability{};
    capability.magic_etc = VFS_CAP_REVISION_2 | VFS_CAP_FLAGS_EFFECTIVE;
    capability.data[0].permitted = 1u << CAP_NET_RAW;
    ASSERT_EQ(::setxattr(out.c_str(), "security.capability", &capability, XATTR_CAPS_SZ_2, 0), 0);
    ASSERT_EQ(::setxattr(out.c_str(), "user.velmora", "kept", 4, 0), 0);
    const CliRun saved = runCli({"set", pathText(input), "Txtgruppo=3", "-o", pathText(out)}, {},
                                10000, kAsOrdinaryUser);
    EXPECT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_TRUE(holds(saved.err, "non conserva:\n- attributo esteso security.capability: "
                                 "permesso negato\n"));
    EXPECT_EQ(attributesOf(out), " user.velmora=kept");
    EXPECT_EQ(fileText(out).substr(0, 6), " 170 \r");
}

// A disk that fills up during the save leaves the old file whole and says so. Needs root
// to mount a small file system in a mount namespace of the program's own.
TEST(SetCommand, AFullDiskLeavesTheOldFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small file system";
    Folder folder;
    const auto input = folder.save("in.prg", windowAfter());
    const auto disk = folder / "disk";
    std::filesystem::create_directory(disk);
    const QStringList onAFullDisk{"/usr/bin/unshare",
                                  "--mount",
                                  "sh",
                                  "-c",
                                  R"(mount -t tmpfs -o size=16k velmora-test "$0" || exit 77
           printf old > "$0/out.prg"; cat /dev/zero > "$0/fill" 2>/dev/null
           "$@"; cat "$0/out.prg")",
                                  pathText(disk)};
    const CliRun saved =
        runCli({"set", pathText(input), "Txtgruppo=3", "-o", pathText(disk / "out.prg")}, {}, 10000,
               onAFullDisk);
    if (saved.exitCode == 77)
        GTEST_SKIP() << "cannot mount a small file system: " << saved.err;
    EXPECT_TRUE(holds(saved.err, "\": disco pieno"));
    EXPECT_EQ(saved.out, "old");
}

} // namespace
} // namespace velmora::cli
