#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "support/TestSupport.h"

namespace {

struct Outcome {
    int status;
    std::string output;  // stdout, and stderr unless left out
    int Lines() const { return static_cast<int>(std::ranges::count(output, '\n')); }
    bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
};

Outcome Render(const std::string& args, bool withStderr = true) {
    std::string command =
        std::string(SWATCHER_RENDER_PATH) + " " + args + (withStderr ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = popen(command.c_str(), "r");
    Outcome run{-1, ""};
    if (!pipe) return run;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, n);
    int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

const std::vector<uint8_t> kStoreOnly = {0x40, 0, 0x40, 0, 1, 0, 1, 1, 10, 0, 10, 0};
const std::string kClouds = SWATCHER_EXAMPLES_DIR "/perlin-clouds.mtf";     // Store, Perlin noise
const std::string kTexted = SWATCHER_EXAMPLES_DIR "/text-over-plasma.mtf";  // 2 is a Text node
const std::string kRings = SWATCHER_EXAMPLES_DIR "/bumped-sine-rings.mtf";

class RenderCliTest : public ::testing::Test {
protected:
    std::string dir = TempDir();
    std::string Path(const std::string& name) { return dir + "/" + name; }
};

}  // namespace

// The editor's export tests check each format's pixels through the same writer.
TEST_F(RenderCliTest, StoreOnlyFileRendersBlackInEveryFormatOrExitsWithThree) {
    const std::string store = Path("store.mtf");
    WriteFileBytes(store, kStoreOnly);
    Outcome run = Render(store + " " + Path("out.rgba"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(ReadFileBytes(Path("out.rgba")), std::vector<uint8_t>(16384, 0));
    const std::pair<const char*, uint8_t> formats[] = {
        {"t.png", 0x89}, {"t.bmp", 'B'}, {"t.jpg", 0xFF}};
    for (auto [name, magic] : formats) {
        ASSERT_EQ(Render(store + " " + Path(name)).status, 0) << name;
        EXPECT_EQ(ReadFileBytes(Path(name)).at(0), magic) << name;
    }
    for (const char* out : {"no/dir/x.rgba", "no/dir/x.png"}) {
        run = Render(store + " " + Path(out));
        EXPECT_EQ(run.status, 3) << run.output;
        EXPECT_TRUE(run.Says(out)) << run.output;
    }
    run = Render(dir + " " + Path("x.png"));
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.Says("Is a directory")) << run.output;
    // A byte after the layout section: rendered, with a warning line.
    std::vector<uint8_t> longer = kStoreOnly;
    longer.push_back(0);
    WriteFileBytes(store, longer);
    run = Render(store + " " + Path("x.png"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "swatcher-render: warning: " + store +
                              ": the box positions were damaged; boxes were placed in the "
                              "spawning pool\n");
}

// Under an address-space limit (set in the child only) a large render ends
// with a message and exit status 3, never a signal.
TEST_F(RenderCliTest, OutOfMemoryExitsWithThreeNeverASignal) {
    if (SWATCHER_SANITIZED) GTEST_SKIP() << "the sanitizers reserve more than the limit";
    const std::string input = SWATCHER_EXAMPLES_DIR "/embossed-noisy-spot.mtf";
    const std::string out = Path("big.png");
    for (rlim_t megabytes : {150, 300, 450}) {
        const std::string log = Path("stderr");
        const pid_t child = fork();
        if (child == 0) {
            const rlimit limit{megabytes << 20, megabytes << 20};
            setrlimit(RLIMIT_AS, &limit);
            freopen(log.c_str(), "w", stderr);
            execl(SWATCHER_RENDER_PATH, SWATCHER_RENDER_PATH, input.c_str(), out.c_str(), "--size",
                  "4096", static_cast<char*>(nullptr));
            _exit(127);
        }
        int raw = 0;
        ASSERT_EQ(waitpid(child, &raw, 0), child);
        const std::vector<uint8_t> bytes = ReadFileBytes(log);
        const std::string message(bytes.begin(), bytes.end());
        ASSERT_TRUE(WIFEXITED(raw)) << megabytes << " MB: signal " << WTERMSIG(raw);
        EXPECT_EQ(WEXITSTATUS(raw), 3) << megabytes << " MB: " << message;
        EXPECT_NE(message.find("not enough memory"), std::string::npos) << message;
    }
}

// Bad usage exits with 1 on one line naming what is wrong.
TEST_F(RenderCliTest, BadUsageExitsWithOne) {
    const std::string twins = Path("twins.mtf");  // two Raw Noise nodes
    WriteFileBytes(twins, {4, 0, 4, 0, 3, 0, 1, 2, 100, 0, 0, 0, 1, 0, 2, 100, 0, 0, 0, 1, 0, 0});
    const std::string in = kClouds + " " + Path("x.png") + " ";
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"a.mtf b.tga", {}},
        {"a.mtf b.png --size 0", {}},
        {"a.mtf b.png --size 9000", {}},
        {"a.mtf b.png --bogus", {}},
        {in + "--set Perlin.Random=1", {"no node 'Perlin'", "1 'Perlin noise'"}},
        {in + "--set 9.Random=1", {"no node '9'", "0 'Store'"}},
        {in + "--set 1.Randm=1", {"no parameter 'Randm'", "4 'Random'"}},
        {in + "--set 1.Grid=x", {"'Grid' needs a whole number from 0 to 16, not 'x'"}},
        {in + "--set 1.Color=Cyan", {"'Cyan' is not an option", "'R+G+B'"}},
        {in + "--set 1.Color=7", {"'7' is not an option", "an index from 0 to 3"}},
        {in + "--set 1Random=3", {"NODE.PARAM=VALUE"}},
        {in + "--set 1.Random", {"NODE.PARAM=VALUE"}},
        {in + "--tile 17", {"--tile"}},
        {in + "--size 1024 --tile 9", {"9216", "8192"}},
        {in + "--format png", {"-o DIR"}},
        {twins + " " + Path("x.png") + " --set 'Raw Noise.Amount=3'",
         {"2 nodes are named 'Raw Noise'"}},
        {"--info " + kClouds + " " + kTexted, {"--info takes one input"}},
        {kClouds + " -o " + twins, {"twins.mtf' is not a directory"}},
        {kClouds + " " + kClouds + " -o " + dir, {"both write", "perlin-clouds.png"}},
    };
    for (const auto& [args, words] : cases) {
        Outcome run = Render(args);
        EXPECT_EQ(run.status, 1) << args << ": " << run.output;
        EXPECT_EQ(run.Lines(), 1) << run.output;
        EXPECT_EQ(run.output.rfind("swatcher-render: ", 0), 0u) << run.output;
        for (const std::string& word : words) EXPECT_TRUE(run.Says(word)) << run.output;
    }
    EXPECT_EQ(Render(twins + " " + Path("x.png") + " --set 2.Amount=3").status, 0);
    EXPECT_EQ(Render(kClouds + " -o " + Path("made/here")).status, 0);  // -o makes DIR
    EXPECT_TRUE(std::filesystem::exists(Path("made/here/perlin-clouds.png")));
}

TEST_F(RenderCliTest, InfoDescribesTheFile) {
    Outcome run = Render("--info " + kClouds, false);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, R"({
  "width": 256,
  "height": 256,
  "nodes": [
    {"index": 0, "type": 1, "name": "Store", "params": []},
    {"index": 1, "type": 15, "name": "Perlin noise", "params": [
      {"name": "Grid", "kind": "int", "value": 7, "min": 0, "max": 16},
      {"name": "Persistence", "kind": "int", "value": 140, "min": 0, "max": 255},
      {"name": "Octaves", "kind": "int", "value": 6, "min": 1, "max": 16},
      {"name": "Color", "kind": "choice", "value": 3, "text": "R+G+B", "options": ["Red", "Green", "Blue", "R+G+B"]},
      {"name": "Random", "kind": "int", "value": 42, "min": 0, "max": 255}
    ]}
  ],
  "cables": [
    {"from": {"node": 1, "pin": "Output"}, "to": {"node": 0, "pin": "Source"}}
  ]
}
)");
}

TEST_F(RenderCliTest, SetChangesParametersLikeTheEditor) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {kClouds, "1.4=9", R"("Random", "kind": "int", "value": 9,)"},  // both by index
        {kClouds, "perlin NOISE.random=+3", R"("Random", "kind": "int", "value": 3,)"},
        // Beyond 16 bits, then clamped.
        {kClouds, "Perlin noise.Random=-99999", R"("Random", "kind": "int", "value": 0,)"},
        {kClouds, "1.Color=Green", R"("Color", "kind": "choice", "value": 1,)"},
        {kClouds, "1.Color=3", R"("Color", "kind": "choice", "value": 3,)"},  // by index
        // Quote, backslash, control characters, valid UTF-8 and a stray Latin-1 byte: escaped.
        {kTexted, "Text.Text=a.b=c q\"b\\n\n\x01\x7f \xc3\xa9 \xe9",
         R"("Text", "kind": "text", "value": "a.b=c q\"b\\n\u000a\u0001\u007f é \u00e9"})"},
        {kRings, "Environment map.Cub. Att.=5", R"("Cub. Att.", "kind": "int", "value": 5,)"},
    };
    for (const auto& [file, setting, expected] : cases) {
        Outcome run = Render("--info " + file + " --set '" + setting + "'", false);
        EXPECT_EQ(run.status, 0) << setting;
        EXPECT_TRUE(run.Says("{\"name\": " + expected)) << setting << ": " << run.output;
    }
}

// A render into a directory matches IN OUT; unreadable and malformed inputs
// each exit with 2 on a line naming the file, and the others still render.
TEST_F(RenderCliTest, TileRepeatsTheTextureAndSeveralInputsRenderPastBadOnes) {
    Outcome run = Render(kClouds + " " + Path("one.rgba") + " --size 8 --log");
    ASSERT_EQ(run.status, 0);
    EXPECT_TRUE(run.Says("ND_Perlin took")) << run.output;
    ASSERT_EQ(Render(kClouds + " " + Path("three.rgba") + " --size 8 --tile 3").status, 0);
    std::vector<uint8_t> one = ReadFileBytes(Path("one.rgba"));
    std::vector<uint8_t> three = ReadFileBytes(Path("three.rgba"));
    ASSERT_EQ(one.size(), 8u * 8 * 4);
    ASSERT_EQ(three.size(), 9 * one.size());
    for (size_t i = 0; i < three.size(); ++i) {
        const size_t x = i / 4 % 24, y = i / 4 / 24;
        ASSERT_EQ(three[i], one[((y % 8) * 8 + x % 8) * 4 + i % 4]) << x << "," << y;
    }

    WriteFileBytes(Path("bad.mtf"), {1, 2, 3});
    const std::string out = Path("out");
    ASSERT_EQ(system(("mkdir " + out).c_str()), 0);
    run = Render(kClouds + " " + Path("bad.mtf") + " " + Path("nope.mtf") + " " + kTexted + " -o " +
                 out + " --format rgba --size 8");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_EQ(run.Lines(), 2) << run.output;
    EXPECT_TRUE(run.Says("bad.mtf") && run.Says("nope.mtf")) << run.output;
    EXPECT_EQ(ReadFileBytes(out + "/perlin-clouds.rgba"), one);
    EXPECT_EQ(ReadFileBytes(out + "/text-over-plasma.rgba").size(), one.size());
}

TEST_F(RenderCliTest, HelpShowsExamplesAndExitStatusAndVersionComesFromTheBuild) {
    Outcome help = Render("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"--output-dir", "Examples:", "Exit status"})
        EXPECT_TRUE(help.Says(word)) << word;
    Outcome version = Render("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.output.rfind("swatcher-render ", 0) == 0 && isdigit(version.output[16]))
        << version.output;
}
