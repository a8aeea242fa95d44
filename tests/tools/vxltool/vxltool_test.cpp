// vxltool as users meet it: run as a process on maps the generator wrote, judged
// by its exit status, its lines and the pictures it leaves behind.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/shared/golden_maps.h"
#include "tests/shared/locations.h"
#include "tests/shared/reference_runs.h"
#include "tests/shared/run_process.h"
#include "tools/vxltool/page_files.h"
#include "world/world.h"

using namespace qormap;

namespace {

const std::string generator = generatorProgram();
const std::string tool = vxltoolProgram();

class Vxltool : public testing::Test {
protected:
    // Three maps shared by every test: seed 1, the same with outlines drawn,
    // and seed 1's terrain alone.
    static void SetUpTestSuite() {
        folder = makeScratchFolder();
        generate({"-s", "1"}, "one.vxl");
        generate({"-s", "1", "-d"}, "outlined.vxl");
        generate({"-s", "1", "-p", "0", "-c", "0"}, "terrain.vxl");
        const std::string map = readAll(folder + "/one.vxl");
        // The first 125 records are 8 bytes each: the cut falls between two columns.
        std::ofstream(folder + "/cut.vxl", std::ios::binary) << map.substr(0, 1000);
        std::ofstream(folder + "/long.vxl", std::ios::binary) << map << '\0';

        // The same voxels twice: column 0 once as one span, once as a span
        // with no colours below it and an empty last span at z = 64.
        const std::string color = {'\x01', '\x02', '\x03', '\x80'};
        const std::string column = std::string{0, 63, 63, 0} + color;
        std::string plain;
        for (int i = 0; i < 512 * 512; ++i) {
            plain += column;
        }
        const std::string recoded =
            std::string{2, 63, 63, 0} + color + std::string{0, 64, 63, 64} + plain.substr(8);
        std::ofstream(folder + "/plain.vxl", std::ios::binary) << plain;
        std::ofstream(folder + "/recoded.vxl", std::ios::binary) << recoded;
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(folder); }

    static void generate(std::vector<std::string> words, const std::string& name) {
        words.insert(words.begin(), {"qormap", "-o", folder + "/" + name});
        ASSERT_EQ(runProcess(generator, words).exitStatus, 0);
    }

    static ProcessResult run(std::vector<std::string> words) {
        words.insert(words.begin(), "vxltool");
        return runProcess(tool, words);
    }

    static std::string path(const std::string& name) { return folder + "/" + name; }

    static std::string folder;
};

std::string Vxltool::folder;

// What vxltool says of a map one byte longer than seed 1's.
std::string oneByteTooMany() {
    return ": byte " + std::to_string(goldenMap({"-s", "1"}).size) +
           ", column (511, 511): 1 bytes follow the last column\n";
}

struct PngSize {
    uint32_t width, height;
};

PngSize pngSize(const std::string& file) {
    int width = 0;
    int height = 0;
    int channels = 0;
    if (stbi_info(file.c_str(), &width, &height, &channels) == 0) {
        ADD_FAILURE() << file << ": " << stbi_failure_reason();
        return {0, 0};
    }
    return {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
}

}  // namespace

TEST_F(Vxltool, CheckPrintsOneLinePerFile) {
    const ProcessResult good = run({"check", path("one.vxl"), path("outlined.vxl")});
    EXPECT_EQ(good.exitStatus, 0);
    EXPECT_EQ(good.out, path("one.vxl") + ": ok\n" + path("outlined.vxl") + ": ok\n");
    EXPECT_EQ(good.err, "");

    const ProcessResult mixed =
        run({"check", path("cut.vxl"), path("one.vxl"), path("long.vxl"), path("absent.vxl")});
    EXPECT_EQ(mixed.exitStatus, 1);
    EXPECT_EQ(mixed.out, path("cut.vxl") +
                             ": byte 1000, column (125, 0): the file ends after 125 of 262144 "
                             "columns\n" +
                             path("one.vxl") + ": ok\n" + path("long.vxl") + oneByteTooMany() +
                             path("absent.vxl") + ": cannot read: No such file or directory\n");
}

TEST_F(Vxltool, InfoOfTheTerrainGivesItsHeights) {
    const ProcessResult result = run({"info", "--json", path("terrain.vxl")});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    // Seed 1's column heights: 0 to 9 on the low ground and the valley, 58 on the walls.
    std::string heights = "\"surface_heights\": [";
    for (int32_t count : seedOneHeightCounts(worldSizeZ)) {
        heights += std::to_string(count) + ", ";
    }
    heights.replace(heights.size() - 2, 2, "]}\n");
    EXPECT_NE(result.out.find(heights), std::string::npos) << result.out;
    const std::string bytes = std::to_string(goldenMap({"-s", "1", "-p", "0", "-c", "0"}).size);
    EXPECT_NE(result.out.find("\"bytes\": " + bytes + ", "), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find('\n'), result.out.size() - 1) << "one line";
}

TEST_F(Vxltool, InfoCountsTheWholeMap) {
    const ProcessResult result = run({"info", path("one.vxl")});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    // The generator's own count of solid voxels after every stage.
    const std::string solid = std::to_string(seedOneRun.startRegions.solidVoxels);
    EXPECT_NE(result.out.find("\nsolid voxels      " + solid + "\n"), std::string::npos)
        << result.out;
    const std::string bytes = std::to_string(goldenMap({"-s", "1"}).size);
    EXPECT_NE(result.out.find("\nbytes             " + bytes + "\n"), std::string::npos);
    char walls[32];
    std::snprintf(walls, sizeof walls, "\n%4d %8d ####", wallColumnHeight, wallColumns);
    EXPECT_NE(result.out.find(walls), std::string::npos);
}

TEST_F(Vxltool, DiffTellsSameFromDifferent) {
    struct Case {
        const char* name;
        std::vector<std::string> words;
        int exitStatus;
        std::string out;
    };
    const Case cases[] = {
        {"the same file",
         {"diff", path("one.vxl"), path("one.vxl")},
         0,
         path("one.vxl") + " and " + path("one.vxl") + " are identical\n"},
        // 959 outline columns; their 999 stored colours change, the first
        // at the blue side at y = 128
        {"outlines drawn",
         {"diff", path("one.vxl"), path("outlined.vxl")},
         3,
         path("one.vxl") + " and " + path("outlined.vxl") +
             " differ: 959 columns and 999 voxels, the first at column (16, 128)\n"},
        {"the same voxels encoded differently",
         {"diff", path("plain.vxl"), path("recoded.vxl")},
         0,
         path("plain.vxl") + " and " + path("recoded.vxl") +
             " hold the same voxels and colours, encoded differently\n"},
        {"an invalid second map", {"diff", path("one.vxl"), path("cut.vxl")}, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult result = run(c.words);
        EXPECT_EQ(result.exitStatus, c.exitStatus);
        EXPECT_EQ(result.out, c.out);
    }
    const ProcessResult invalid = run({"diff", path("one.vxl"), path("cut.vxl")});
    EXPECT_EQ(invalid.err, "vxltool: " + path("cut.vxl") +
                               ": byte 1000, column (125, 0): the file ends after 125 of 262144 "
                               "columns\n");
}

TEST_F(Vxltool, RenderWritesPictures) {
    const std::string copy = path("render-me.vxl");
    std::filesystem::copy_file(path("one.vxl"), copy,
                               std::filesystem::copy_options::overwrite_existing);
    struct Case {
        std::vector<std::string> words;
        std::string picture;
        PngSize size;
    };
    const Case cases[] = {
        {{"render", copy}, path("render-me.png"), {512, 512}},
        {{"render", "--view", "iso", copy}, path("render-me-iso.png"), {1024, 576}},
        {{"render", copy, "--view=top", "-o", path("a.png")}, path("a.png"), {512, 512}},
        {{"render", "-o" + path("b.png"), "--view=iso", copy}, path("b.png"), {1024, 576}},
        {{"render", "--output=" + path("c.png"), copy}, path("c.png"), {512, 512}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        const ProcessResult result = run(c.words);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out.rfind("wrote " + c.picture + " (", 0), 0u) << result.out;
        const PngSize size = pngSize(c.picture);
        EXPECT_EQ(size.width, c.size.width);
        EXPECT_EQ(size.height, c.size.height);
    }
    // Pictures are written beside their target and renamed into place.
    for (const std::filesystem::directory_entry& entry :
         std::filesystem::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
            << entry.path();
    }
}

TEST_F(Vxltool, FailuresSayWhatAndWhy) {
    struct Case {
        const char* name;
        std::vector<std::string> words;
        int exitStatus;
        std::string err;
    };
    const Case cases[] = {
        {"unreadable map",
         {"info", path("absent.vxl")},
         1,
         "vxltool: cannot read '" + path("absent.vxl") + "': No such file or directory\n"},
        {"a folder as map",
         {"info", folder},
         1,
         "vxltool: cannot read '" + folder + "': Is a directory\n"},
        // longer than any map could be: refused before it fills the memory
        {"an endless stream",
         {"info", "/dev/zero"},
         1,
         "vxltool: cannot read '/dev/zero': File too large\n"},
        {"invalid map",
         {"render", path("long.vxl"), "-o", path("x.png")},
         1,
         "vxltool: " + path("long.vxl") + oneByteTooMany()},
        {"unwritable picture",
         {"render", path("one.vxl"), "-o", path("no/such/x.png")},
         1,
         "vxltool: cannot write picture '" + path("no/such/x.png") +
             "': No such file or directory\n"},
        {"no command", {}, 2, ""},
        {"unknown command",
         {"show", "x"},
         2,
         "vxltool: unknown command 'show'; run 'vxltool --help' for the commands\n"},
        {"help on an unknown command",
         {"help", "show"},
         2,
         "vxltool: unknown command 'show'; run 'vxltool --help' for the commands\n"},
        {"unknown option",
         {"info", "--yaml", "x"},
         2,
         "vxltool info: unknown option '--yaml'; run 'vxltool info --help' for its usage\n"},
        {"option of another command",
         {"check", "--json", "x"},
         2,
         "vxltool check: unknown option '--json'; run 'vxltool check --help' for its usage\n"},
        {"no file",
         {"check"},
         2,
         "vxltool check: needs a map file; run 'vxltool check --help' for its usage\n"},
        {"one file for diff",
         {"diff", "a"},
         2,
         "vxltool diff: needs two map files; run 'vxltool diff --help' for its usage\n"},
        {"three files for diff",
         {"diff", "a", "b", "c"},
         2,
         "vxltool diff: too many files ('c'); run 'vxltool diff --help' for its usage\n"},
        {"unknown view",
         {"render", "--view", "side", "x"},
         2,
         "vxltool render: unknown view 'side' (top or iso); run 'vxltool render --help' for its "
         "usage\n"},
        {"view without value",
         {"render", "x", "--view"},
         2,
         "vxltool render: option --view needs a value (top or iso); run 'vxltool render --help' "
         "for its usage\n"},
        {"-o without value",
         {"render", "x", "-o"},
         2,
         "vxltool render: option -o needs a file name; run 'vxltool render --help' for its "
         "usage\n"},
        {"-o twice",
         {"render", "x", "-o", "a.png", "--output=b.png"},
         2,
         "vxltool render: option -o is given twice; run 'vxltool render --help' for its usage\n"},
        {"a picture over its own map, by another name",
         {"render", path("one.vxl"), "-o", folder + "/./one.vxl"},
         2,
         "vxltool render: the picture '" + folder +
             "/./one.vxl' would replace the map itself; run 'vxltool render --help' for its "
             "usage\n"},
        {"no name for the picture of a stream",
         {"render", "/dev/zero"},
         2,
         "vxltool render: '/dev/zero' is not a regular file: name the picture with -o; run "
         "'vxltool render --help' for its usage\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult result = run(c.words);
        EXPECT_EQ(result.exitStatus, c.exitStatus);
        EXPECT_EQ(result.out, "");
        if (!c.err.empty()) {
            EXPECT_EQ(result.err, c.err);
        } else {
            EXPECT_EQ(result.err.rfind("Usage: vxltool COMMAND", 0), 0u) << result.err;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(path("x.png")));
    EXPECT_EQ(readAll(path("one.vxl")).size(), goldenMap({"-s", "1"}).size);
}

TEST_F(Vxltool, OutputThatCannotBeWrittenIsAFailure) {
    const std::vector<std::string> commands[] = {
        {"check", path("one.vxl")},
        {"info", path("one.vxl")},
        {"info", "--json", path("one.vxl")},
        {"diff", path("one.vxl"), path("outlined.vxl")},
        {"render", path("one.vxl"), "-o", path("full.png")},
        {"info", "--help"},
        {"--version"},
    };
    ProcessLimits full;
    full.standardOutput = "/dev/full";
    for (std::vector<std::string> words : commands) {
        SCOPED_TRACE(words[0] + " " + words[1 % words.size()]);
        words.insert(words.begin(), "vxltool");
        const ProcessResult result = runProcess(tool, words, full);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err,
                  "vxltool: cannot write the result to standard output: No space left on device\n");
    }
}

TEST_F(Vxltool, EveryCommandHasHelp) {
    const ProcessResult overview = run({"--help"});
    for (const char* command : {"check", "info", "diff", "render", "gallery"}) {
        SCOPED_TRACE(command);
        const ProcessResult help = run({command, "--help"});
        EXPECT_EQ(help.exitStatus, 0);
        EXPECT_EQ(help.out.rfind("Usage: vxltool " + std::string(command) + " ", 0), 0u);
        EXPECT_EQ(help.err, "");
        EXPECT_EQ(run({"help", command}).out, help.out);
        EXPECT_EQ(run({command, "x", "-h"}).out, help.out);
        EXPECT_NE(overview.out.find("\n  " + std::string(command) + " "), std::string::npos);
    }
    EXPECT_EQ(overview.out.rfind("Usage: vxltool COMMAND", 0), 0u);
    EXPECT_EQ(run({"-h"}).out, overview.out);
    EXPECT_EQ(run({"help"}).out, overview.out);
}

namespace {

// The cards a gallery page holds, by the name each shows.
std::vector<std::string> cardNames(const std::string& page) {
    std::vector<std::string> names;
    const std::string marker = "data-name=\"";
    for (size_t at = page.find(marker); at != std::string::npos; at = page.find(marker, at)) {
        at += marker.size();
        names.push_back(page.substr(at, page.find('"', at) - at));
    }
    return names;
}

}  // namespace

TEST_F(Vxltool, GalleryOfFilesGivesEveryMapACardAndFaultyOnesTheirFault) {
    const std::string out = path("files-gallery");
    const ProcessResult result = run({"gallery", path("one.vxl"), path("cut.vxl"),
                                      path("absent.vxl"), path("terrain.vxl"), "-o", out});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "wrote " + out + "/index.html (4 maps, 2 faulty)\n");
    EXPECT_EQ(result.err, "vxltool: " + path("cut.vxl") +
                              ": byte 1000, column (125, 0): the file ends after 125 of 262144 "
                              "columns\nvxltool: " +
                              path("absent.vxl") + ": cannot read: No such file or directory\n");
    const std::string page = readAll(out + "/index.html");
    EXPECT_EQ(cardNames(page), (std::vector<std::string>{path("one.vxl"), path("cut.vxl"),
                                                         path("absent.vxl"), path("terrain.vxl")}));
    EXPECT_NE(page.find("the file ends after 125 of 262144 columns"), std::string::npos);
    EXPECT_EQ(folderEntries(out + "/pictures"),
              (std::vector<std::string>{"0001-one-iso-small.png", "0001-one-iso.png",
                                        "0001-one-top-small.png", "0001-one-top.png",
                                        "0004-terrain-iso-small.png", "0004-terrain-iso.png",
                                        "0004-terrain-top-small.png", "0004-terrain-top.png"}));
    EXPECT_EQ(pngSize(out + "/pictures/0001-one-iso-small.png").width, 512u);
}

TEST_F(Vxltool, GalleryOfSeedsKeepsTheMapsTheGeneratorWrites) {
    const std::string out = path("seed-gallery");
    std::filesystem::create_directories(out);
    std::ofstream(out + "/notes.txt") << "not the gallery's";
    std::vector<std::string> entries{"index.html", "maps", "notes.txt", "pictures"};
    if (mapPage.size > 0) {
        entries.push_back("qormap.html");  // a build with the map page carries it
    }
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "first run" : "rerun into the same folder");
        const ProcessResult result = run({"gallery", "--seeds", "1-2", "--keep-maps", "-o", out});
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, "wrote " + out + "/index.html (2 maps)\n");
        EXPECT_EQ(folderEntries(out), entries);
    }
    EXPECT_EQ(readAll(out + "/maps/seed-1.vxl"), readAll(path("one.vxl")));
    const std::string page = readAll(out + "/index.html");
    EXPECT_EQ(cardNames(page), (std::vector<std::string>{"seed 1", "seed 2"}));
    EXPECT_NE(page.find("<code>qormap -s 2 -o seed-2.vxl</code>"), std::string::npos);

    const ProcessResult outlined =
        run({"gallery", "--seeds=1", "-d", "--keep-maps", "-o", path("outlined-gallery")});
    EXPECT_EQ(outlined.exitStatus, 0) << outlined.err;
    EXPECT_EQ(readAll(path("outlined-gallery/maps/seed-1-d.vxl")), readAll(path("outlined.vxl")));

    // Values are read as qormap reads them (wrapped, clamped by the library),
    // so the command on the card makes the very map on the card.
    const std::string clamped = path("clamped-gallery");
    ASSERT_EQ(
        run({"gallery", "--seeds", "3", "-b", "150", "-p4294967297", "--keep-maps", "-o", clamped})
            .exitStatus,
        0);
    const std::string card = readAll(clamped + "/index.html");
    const size_t code = card.find("<code>") + 6;
    std::vector<std::string> words;
    std::istringstream command(card.substr(code, card.find("</code>") - code));
    for (std::string word; command >> word;) {
        words.push_back(word);
    }
    ASSERT_EQ(words, (std::vector<std::string>{"qormap", "-s", "3", "-b", "150", "-p", "1", "-o",
                                               "seed-3-b150-p1.vxl"}));
    words.back() = path("from-the-card.vxl");
    ASSERT_EQ(runProcess(generator, words).exitStatus, 0);
    EXPECT_EQ(readAll(path("from-the-card.vxl")), readAll(clamped + "/maps/seed-3-b150-p1.vxl"));
}

TEST_F(Vxltool, GalleryRefusesBadInputAndWritesNothing) {
    std::ofstream(path("a-file")) << "x";
    struct Case {
        const char* name;
        std::vector<std::string> words;
        int exitStatus;
        std::string err;
    };
    const std::string usage = "; run 'vxltool gallery --help' for its usage\n";
    const std::string out = path("refused");
    const Case cases[] = {
        {"reversed range",
         {"gallery", "--seeds", "9-3", "-o", out},
         2,
         "vxltool gallery: seed range '9-3' is reversed: 9 comes after 3" + usage},
        {"empty range",
         {"gallery", "--seeds=", "-o", out},
         2,
         "vxltool gallery: seed range '' is not A-B, such as 1-100" + usage},
        {"not a range",
         {"gallery", "--seeds", "1-x", "-o", out},
         2,
         "vxltool gallery: seed range '1-x' is not A-B, such as 1-100" + usage},
        {"seed out of range",
         {"gallery", "--seeds", "1-2147483648", "-o", out},
         2,
         "vxltool gallery: seed 2147483648 is out of range (0 to 2147483647)" + usage},
        // leading zeros count for nothing: their seeds are read, then compared
        {"reversed range with leading zeros",
         {"gallery", "--seeds", "00000000000000000000009-3", "-o", out},
         2,
         "vxltool gallery: seed range '00000000000000000000009-3' is reversed: "
         "00000000000000000000009 comes after 3" +
             usage},
        {"seed out of range after leading zeros",
         {"gallery", "--seeds", "0-00000000002147483648", "-o", out},
         2,
         "vxltool gallery: seed 00000000002147483648 is out of range (0 to 2147483647)" + usage},
        {"an option given twice",
         {"gallery", "--seeds", "1", "-b", "30", "-b", "40", "-o", out},
         2,
         "vxltool gallery: option -b is given twice" + usage},
        // "-old.vxl" read as "-o ld.vxl"; "--" would have ended the options
        {"a map named like an option",
         {"gallery", "a.vxl", "-old.vxl", "-o", out},
         2,
         "vxltool gallery: option -o is given twice" + usage},
        {"unknown option",
         {"gallery", "--seeds", "1", "--fast", "-o", out},
         2,
         "vxltool gallery: unknown option '--fast'" + usage},
        {"no folder",
         {"gallery", "--seeds", "1"},
         2,
         "vxltool gallery: needs an output folder (-o DIR)" + usage},
        {"nothing to show",
         {"gallery", "-o", out},
         2,
         "vxltool gallery: needs map files or --seeds A-B" + usage},
        {"files and seeds",
         {"gallery", "x.vxl", "--seeds", "1", "-o", out},
         2,
         "vxltool gallery: takes map files or --seeds, not both" + usage},
        {"map options for files",
         {"gallery", "x.vxl", "-p", "3", "-o", out},
         2,
         "vxltool gallery: options -b, -p, -c, -d and --keep-maps go with --seeds" + usage},
        {"a file as folder",
         {"gallery", "--seeds", "1", "-o", path("a-file")},
         1,
         "vxltool gallery: '" + path("a-file") + "' is not a folder\n"},
        {"a folder as map",
         {"gallery", path("one.vxl"), folder, "-o", out},
         1,
         "vxltool gallery: '" + folder + "' is a folder, not a map file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult result = run(c.words);
        EXPECT_EQ(result.exitStatus, c.exitStatus);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, c.err);
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(readAll(path("a-file")), "x");
}

TEST_F(Vxltool, GalleryIntoAFolderWithoutWritePermissionSaysWhy) {
    if (!permissionsApply()) {
        GTEST_SKIP() << "file permissions do not apply to this process";
    }
    const std::string locked = path("locked");
    std::filesystem::create_directories(locked);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    const ProcessResult result = run({"gallery", "--seeds", "1", "-o", locked});
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err,
              "vxltool gallery: cannot make folder '" + locked + "/pictures': Permission denied\n");
    EXPECT_TRUE(folderEntries(locked).empty());
}

TEST_F(Vxltool, VersionIsTheProjects) {
    const ProcessResult result = run({"--version"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "vxltool " QORMAP_PROJECT_VERSION "\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(Vxltool, GalleryNeverWritesThroughLinksInItsFolder) {
    std::ofstream(path("victim")) << "secret";
    std::filesystem::create_directories(path("victim-folder"));
    const std::string links[] = {"index.html", "pictures/seed-1-top.png", "pictures",
                                 "maps/seed-1.vxl"};
    for (const std::string& link : links) {
        SCOPED_TRACE(link);
        const std::string out = path("linked-" + std::to_string(&link - links));
        std::filesystem::create_directories(out + "/pictures");
        std::filesystem::create_directories(out + "/maps");
        std::filesystem::remove(out + "/" + link);
        std::filesystem::create_symlink(path(link == "pictures" ? "victim-folder" : "victim"),
                                        out + "/" + link);
        const ProcessResult result = run({"gallery", "--seeds", "1", "--keep-maps", "-o", out});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, "vxltool gallery: '" + out + "/" + link +
                                  "' is a symbolic link; not writing through it\n");
        EXPECT_EQ(readAll(path("victim")), "secret");
        EXPECT_TRUE(folderEntries(path("victim-folder")).empty());
    }
}

TEST_F(Vxltool, GalleryNeverWritesOverAMapItReads) {
    namespace fs = std::filesystem;
    const std::string out = path("colliding");
    const std::string page = out + "/index.html";
    const std::string otherName = path("other-name.vxl");
    enum Given { asItself, byHardLink, bySymlink };
    // A copy of seed 1's map lies at `output`; a picture's name follows one.vxl's.
    const std::pair<std::string, Given> cases[] = {
        {page, asItself},
        {page, byHardLink},
        {page, bySymlink},
        {out + "/pictures/0001-one-top.png", asItself},
        {out + "/pictures/0001-one-iso-small.png", byHardLink},
    };
    for (const auto& [output, given] : cases) {
        SCOPED_TRACE(output + " given " + std::to_string(given));
        fs::remove_all(out);
        fs::remove(otherName);
        fs::create_directories(out + "/pictures");
        fs::copy_file(path("one.vxl"), output);
        if (given == byHardLink) {
            fs::create_hard_link(output, otherName);
        } else if (given == bySymlink) {
            fs::create_symlink(output, otherName);
        }
        const std::string map = given == asItself ? output : otherName;
        std::vector<std::string> words = {"gallery", map, "-o", out};
        if (output != page) {
            words.insert(words.begin() + 1, path("one.vxl"));
        }
        const size_t pictures = folderEntries(out + "/pictures").size();
        const ProcessResult result = run(words);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, "vxltool gallery: the " +
                                  std::string(output == page ? "page" : "picture") + " '" + output +
                                  "' would replace the map '" + map + "'\n");
        EXPECT_EQ(readAll(output), readAll(path("one.vxl")));
        EXPECT_EQ(folderEntries(out + "/pictures").size(), pictures);
    }
}

TEST_F(Vxltool, GalleryTakesMapsWithTheLongestNames) {
    // A name the system takes (250 bytes), which the pictures' names lengthen.
    const std::string named = path(std::string(246, 'n') + ".vxl");
    std::filesystem::copy_file(path("one.vxl"), named);
    const ProcessResult result = run({"gallery", named, path("one.vxl"), "-o", path("long")});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(folderEntries(path("long/pictures")).size(), 8u);
}

TEST_F(Vxltool, GalleryOfTheWholeRangeRunsInLittleMemoryAndStopsCleanly) {
    const std::string out = path("interrupted");
    ASSERT_EQ(run({"gallery", "--seeds", "5", "-o", out}).exitStatus, 0);
    const std::string earlier = readAll(out + "/index.html");
    const int child =
        startProcess(tool, {"vxltool", "gallery", "--seeds", "0-2147483647", "-o", out});
    for (int wait = 0; wait < 600 && !std::filesystem::exists(out + "/pictures/seed-3-top.png");
         ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::ifstream status("/proc/" + std::to_string(child) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            EXPECT_LT(std::stoll(line.substr(6)), 200'000) << "kB at most, so far";
        }
    }
    kill(child, SIGINT);
    int ended = 0;
    ASSERT_EQ(waitpid(child, &ended, 0), child);
    EXPECT_TRUE(WIFSIGNALED(ended) && WTERMSIG(ended) == SIGINT);
    EXPECT_EQ(readAll(out + "/index.html"), earlier);
    for (const std::string& name : folderEntries(out + "/pictures")) {
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name;
    }
}
