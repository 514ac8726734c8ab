#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

#include "support/TestSupport.h"

namespace {

struct Outcome {
    int status;
    std::string output;  // stdout and stderr together
};

Outcome Render(const std::string& args) {
    std::string command = std::string(SWATCHER_RENDER_PATH) + " " + args + " 2>&1";
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

class RenderCliTest : public ::testing::Test {
protected:
    std::string dir = TempDir();
    std::string Path(const std::string& name) { return dir + "/" + name; }
};

}  // namespace

TEST_F(RenderCliTest, StoreOnlyFileRendersBlack) {
    WriteFileBytes(Path("store.mtf"), kStoreOnly);
    Outcome run = Render(Path("store.mtf") + " " + Path("out.rgba"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(ReadFileBytes(Path("out.rgba")), std::vector<uint8_t>(16384, 0));
}

TEST_F(RenderCliTest, SizeOptionAndImageFormats) {
    WriteFileBytes(Path("store.mtf"), kStoreOnly);
    ASSERT_EQ(Render(Path("store.mtf") + " " + Path("small.rgba") + " --size 4").status, 0);
    EXPECT_EQ(ReadFileBytes(Path("small.rgba")).size(), 64u);

    ASSERT_EQ(Render(Path("store.mtf") + " " + Path("t.png") + " --size 8").status, 0);
    std::vector<uint8_t> png = ReadFileBytes(Path("t.png"));
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(png[19], 8);  // IHDR width
    EXPECT_EQ(png[23], 8);  // IHDR height

    ASSERT_EQ(Render(Path("store.mtf") + " " + Path("t.bmp")).status, 0);
    std::vector<uint8_t> bmp = ReadFileBytes(Path("t.bmp"));
    ASSERT_GE(bmp.size(), 26u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[18], 64);  // width
    ASSERT_EQ(Render(Path("store.mtf") + " " + Path("t.jpg")).status, 0);
    EXPECT_EQ(ReadFileBytes(Path("t.jpg"))[0], 0xFF);
}

TEST_F(RenderCliTest, LogOptionPrintsTimingLines) {
    WriteFileBytes(Path("noise.mtf"), {4, 0, 4, 0, 2, 1, 1, 2, 100, 0, 0, 0, 1, 0, 1, 255, 0, 0});
    Outcome run = Render(Path("noise.mtf") + " " + Path("n.rgba") + " --log");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("RawNoise::Update took"), std::string::npos) << run.output;
}

TEST_F(RenderCliTest, BadUsageExitsWithOne) {
    for (const std::string& args : {std::string(""), std::string("a.mtf"),
                                    std::string("a.mtf b.tga"), std::string("a.mtf b.png --size"),
                                    std::string("a.mtf b.png --size 0"),
                                    std::string("a.mtf b.png --size 9000"),
                                    std::string("a.mtf b.png --bogus")}) {
        Outcome run = Render(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_NE(run.output.find("swatcher-render:"), std::string::npos) << args;
    }
}

TEST_F(RenderCliTest, UnreadableOrMalformedInputExitsWithTwo) {
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {0x40, 0, 0x40, 0, 2, 0, 1, 11},                 // unknown type
        {0x40, 0, 0x40, 0, 1, 1, 1, 5, 0, 0, 0},          // cable to a missing node
        {0x40, 0, 0x40, 0, 1, 1, 1, 0, 3, 0, 255},        // missing input pin
        {0x00, 0x40, 0x00, 0x40, 1, 0, 1},                // 16384 x 16384
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        const std::string in = Path("bad" + std::to_string(i) + ".mtf");
        WriteFileBytes(in, bad[i]);
        Outcome run = Render(in + " " + Path("x.rgba"));
        EXPECT_EQ(run.status, 2) << i << ": " << run.output;
        EXPECT_NE(run.output.find(in), std::string::npos) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    }
    Outcome missing = Render(Path("nope.mtf") + " " + Path("x.rgba"));
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.output.find("nope.mtf"), std::string::npos);
}

TEST_F(RenderCliTest, UnwritableOutputExitsWithThree) {
    WriteFileBytes(Path("store.mtf"), kStoreOnly);
    Outcome run = Render(Path("store.mtf") + " " + Path("no/dir/x.rgba"));
    EXPECT_EQ(run.status, 3) << run.output;
    EXPECT_NE(run.output.find("x.rgba"), std::string::npos);
    Outcome png = Render(Path("store.mtf") + " " + Path("no/dir/x.png"));
    EXPECT_EQ(png.status, 3) << png.output;
}
