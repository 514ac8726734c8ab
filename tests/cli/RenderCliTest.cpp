#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/TextureFile.h"
#include "support/TestSupport.h"

namespace {

struct Outcome {
    int status;
    std::string output;  // stdout, and stderr unless left out
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
    for (const std::string& args :
         {std::string(""), std::string("a.mtf"), std::string("a.mtf b.tga"),
          std::string("a.mtf b.png --size"), std::string("a.mtf b.png --size 0"),
          std::string("a.mtf b.png --size 9000"), std::string("a.mtf b.png --bogus")}) {
        Outcome run = Render(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_NE(run.output.find("swatcher-render:"), std::string::npos) << args;
    }
}

TEST_F(RenderCliTest, UnreadableOrMalformedInputExitsWithTwo) {
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {0x40, 0, 0x40, 0, 2, 0, 1, 11},            // unknown type
        {0x40, 0, 0x40, 0, 1, 1, 1, 5, 0, 0, 0},    // cable to a missing node
        {0x40, 0, 0x40, 0, 1, 1, 1, 0, 3, 0, 255},  // missing input pin
        {0x00, 0x40, 0x00, 0x40, 1, 0, 1},          // 16384 x 16384
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

// The options beyond IN OUT: --set, --info, --tile, -o, --help.
namespace {

// Just enough JSON to read --info back: objects, arrays, strings, integers.
struct Json {
    std::string text;  // strings, and numbers as written
    std::vector<Json> items;
    std::map<std::string, Json> fields;
    const Json& operator[](const std::string& key) const { return fields.at(key); }
    int Int() const { return std::stoi(text); }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : s_(text) {}
    Json Parse() {
        Json value = Value();
        Skip();
        if (i_ != s_.size()) throw std::runtime_error("trailing text");
        return value;
    }

private:
    void Skip() {
        while (i_ < s_.size() && isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    char Next() {
        if (i_ >= s_.size()) throw std::runtime_error("early end");
        return s_[i_++];
    }
    void Expect(char c) {
        Skip();
        if (Next() != c) throw std::runtime_error(std::string("expected ") + c);
    }
    bool Take(char c) {
        Skip();
        return i_ < s_.size() && s_[i_] == c ? (++i_, true) : false;
    }
    Json Value() {
        Json v;
        if (Take('{')) {
            if (Take('}')) return v;
            do {
                std::string key = String();
                Expect(':');
                v.fields[key] = Value();
            } while (Take(','));
            Expect('}');
        } else if (Take('[')) {
            if (Take(']')) return v;
            do v.items.push_back(Value());
            while (Take(','));
            Expect(']');
        } else if (s_[i_] == '"') {
            v.text = String();
        } else {
            while (i_ < s_.size() && (isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '-'))
                v.text += s_[i_++];
            if (v.text.empty()) throw std::runtime_error("bad value");
        }
        return v;
    }
    std::string String() {
        Expect('"');
        std::string out;
        for (char c; (c = Next()) != '"';) {
            if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("raw control");
            if (c != '\\') {
                out += c;
            } else if ((c = Next()) != 'u') {
                out += c == 'n' ? '\n' : c;
            } else {
                unsigned code = std::stoul(s_.substr(i_, 4), nullptr, 16);
                i_ += 4;
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else {  // the renderer only escapes below U+0100
                    out += static_cast<char>(0xC0 | code >> 6);
                    out += static_cast<char>(0x80 | (code & 0x3F));
                }
            }
        }
        return out;
    }
    const std::string& s_;
    size_t i_ = 0;
};

std::string Examples(const std::string& name) {
    return std::string(SWATCHER_EXAMPLES_DIR) + "/" + name;
}

const std::string kClouds = Examples("perlin-clouds.mtf");     // Store, Perlin noise
const std::string kTexted = Examples("text-over-plasma.mtf");  // ..., 2 is a Text node

class RenderOptionsTest : public ::testing::Test {
protected:
    std::string dir = TempDir();
    std::string Path(const std::string& name) { return dir + "/" + name; }

    // Saves Store plus nodes of the given types, the first feeding the Store.
    std::string SaveGraph(const std::string& name, const std::vector<uint8_t>& types,
                          const std::string& text = "") {
        NodeRegistry registry;
        NodeGraph graph(8, 8);
        for (uint8_t type : types) {
            Node* node = graph.AddNode(registry.CreateNode(type));
            for (auto& param : node->params) param->SetText(text);
        }
        if (graph.nodes.size() > 1)
            graph.Connect(graph.nodes[1]->outputPin.get(), graph.store()->inputPins[0].get());
        std::string error;
        EXPECT_TRUE(SaveTextureFile(Path(name), graph, {}, &error)) << error;
        return Path(name);
    }

    Json Info(const std::string& args) {
        Outcome run = Render("--info " + args, false);
        EXPECT_EQ(run.status, 0) << run.output;
        return JsonReader(run.output).Parse();
    }
};

}  // namespace

TEST_F(RenderOptionsTest, SetChangesParametersLikeTheEditor) {
    struct Case {
        std::string file, setting;
        int node, param;
        std::string expected;  // value, or text for text parameters
    };
    const std::string env = SaveGraph("env.mtf", {14});
    const std::vector<Case> cases = {
        {kClouds, "Perlin noise.Random=7", 1, 4, "7"},
        {kClouds, "1.4=9", 1, 4, "9"},                       // both by index
        {kClouds, "perlin NOISE.random=+3", 1, 4, "3"},      // names ignore case
        {kClouds, "Perlin noise.Random=300", 1, 4, "255"},   // clamped to the range
        {kClouds, "Perlin noise.Random=-99999", 1, 4, "0"},  // beyond 16 bits, then clamped
        {kClouds, "1.Color=Green", 1, 3, "1"},
        {kClouds, "1.Color=7", 1, 3, "3"},  // an option index, clamped
        {kTexted, "Text.Text=a.b=c d", 2, 4, "a.b=c d"},
        {env, "Environment map.Cub. Att.=5", 1, 1, "5"},  // a name with dots
    };
    for (const Case& c : cases) {
        Json param = Info(c.file + " --set '" + c.setting + "'")["nodes"]
                         .items[c.node]["params"]
                         .items[c.param];
        const Json& value = param["value"];
        EXPECT_EQ(value.text, c.expected) << c.setting;
    }
}

TEST_F(RenderOptionsTest, BadSettingsAndOptionsAreUsageErrors) {
    const std::string twins = SaveGraph("twins.mtf", {2, 2});
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"--set Perlin.Random=1", {"no node 'Perlin'", "1 'Perlin noise'"}},
        {"--set 9.Random=1", {"no node '9'", "0 'Store'"}},
        {"--set 1.Randm=1", {"no parameter 'Randm'", "4 'Random'"}},
        {"--set 1.Grid=x", {"'Grid' needs a whole number from 0 to 16, not 'x'"}},
        {"--set 1.Grid=", {"needs a whole number"}},
        {"--set 1.Color=Cyan", {"'Cyan' is not an option", "'R+G+B'"}},
        {"--set 1Random=3", {"NODE.PARAM=VALUE"}},
        {"--set 1.Random", {"NODE.PARAM=VALUE"}},
        {"--tile 17", {"--tile"}},
        {"--size 1024 --tile 9", {"9216", "8192"}},
        {"--format png", {"-o DIR"}},
    };
    for (const auto& [args, words] : cases) {
        Outcome run = Render(kClouds + " " + Path("x.png") + " " + args);
        EXPECT_EQ(run.status, 1) << args << ": " << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
        for (const std::string& word : words)
            EXPECT_NE(run.output.find(word), std::string::npos) << run.output;
    }
    Outcome twin = Render(twins + " " + Path("x.png") + " --set 'Raw Noise.Amount=3'");
    EXPECT_EQ(twin.status, 1);
    EXPECT_NE(twin.output.find("2 nodes are named 'Raw Noise'"), std::string::npos) << twin.output;
    EXPECT_EQ(Render(twins + " " + Path("x.png") + " --set 2.Amount=3").status, 0);
    EXPECT_EQ(Render("--info " + kClouds + " " + kTexted).status, 1);
}

TEST_F(RenderOptionsTest, InfoDescribesTheLoadedFile) {
    NodeRegistry registry;
    NodeGraph graph(64, 64);
    std::string error;
    ASSERT_TRUE(LoadTextureFile(kTexted, graph, registry, nullptr, &error)) << error;
    Json info = Info(kTexted);
    EXPECT_EQ(info["width"].Int(), graph.width);
    EXPECT_EQ(info["height"].Int(), graph.height);
    ASSERT_EQ(info["nodes"].items.size(), graph.nodes.size());
    for (size_t i = 0; i < graph.nodes.size(); ++i) {
        const Node& node = *graph.nodes[i];
        const Json& json = info["nodes"].items[i];
        EXPECT_EQ(json["index"].Int(), static_cast<int>(i));
        EXPECT_EQ(json["type"].Int(), node.typeId);
        EXPECT_EQ(json["name"].text, node.name);
        ASSERT_EQ(json["params"].items.size(), node.params.size());
        for (size_t k = 0; k < node.params.size(); ++k) {
            const Param& param = *node.params[k];
            const Json& p = json["params"].items[k];
            EXPECT_EQ(p["name"].text, param.name);
            if (!param.isNumeric) {
                EXPECT_EQ(p["kind"].text, "text");
                EXPECT_EQ(p["value"].text, param.GetText());
            } else if (p["kind"].text == "choice") {
                EXPECT_EQ(p["options"].items[param.GetValue()].text, param.GetText());
            } else {
                EXPECT_EQ(p["kind"].text, "int");
                EXPECT_EQ(p["min"].Int(), param.GetMin());
                EXPECT_EQ(p["max"].Int(), param.GetMax());
            }
            if (param.isNumeric) EXPECT_EQ(p["value"].Int(), param.GetValue());
        }
    }
    ASSERT_EQ(info["cables"].items.size(), graph.cables.size());
    for (size_t i = 0; i < graph.cables.size(); ++i) {
        const Cable& cable = *graph.cables[i];
        const Pin* out = cable.first->IsOutputPin() ? cable.first : cable.second;
        const Json& json = info["cables"].items[i];
        EXPECT_EQ(json["from"]["node"].Int(), graph.NodeIndex(out->owner));
        EXPECT_EQ(json["from"]["pin"].text, "Output");
        EXPECT_EQ(json["to"]["pin"].text, cable.OtherEnd(out)->name);
    }
}

TEST_F(RenderOptionsTest, InfoEscapesAnyText) {
    // Quote, backslash, control characters, valid UTF-8 and a stray Latin-1 byte.
    const std::string text = "q\"b\\n\n\x01\x7f \xc3\xa9 \xe9";
    Json info = Info(SaveGraph("text.mtf", {13}, text));
    EXPECT_EQ(info["nodes"].items[1]["params"].items[4]["value"].text,
              "q\"b\\n\n\x01\x7f \xc3\xa9 \xc3\xa9");
}

TEST_F(RenderOptionsTest, TileRepeatsTheTexture) {
    ASSERT_EQ(Render(kClouds + " " + Path("one.rgba") + " --size 8").status, 0);
    ASSERT_EQ(Render(kClouds + " " + Path("three.rgba") + " --size 8 --tile 3").status, 0);
    std::vector<uint8_t> one = ReadFileBytes(Path("one.rgba"));
    std::vector<uint8_t> three = ReadFileBytes(Path("three.rgba"));
    ASSERT_EQ(one.size(), 8u * 8 * 4);
    ASSERT_EQ(three.size(), 9 * one.size());
    for (size_t y = 0; y < 24; ++y)
        for (size_t x = 0; x < 24; ++x)
            for (size_t b = 0; b < 4; ++b)
                ASSERT_EQ(three[(y * 24 + x) * 4 + b], one[((y % 8) * 8 + x % 8) * 4 + b])
                    << x << "," << y;
}

TEST_F(RenderOptionsTest, SeveralInputsRenderPastABadOne) {
    WriteFileBytes(Path("bad.mtf"), {1, 2, 3});
    const std::string out = Path("out");
    ASSERT_EQ(system(("mkdir " + out).c_str()), 0);
    Outcome run = Render(kClouds + " " + Path("bad.mtf") + " " + kTexted + " -o " + out +
                         " --format rgba --size 4");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    EXPECT_NE(run.output.find("bad.mtf"), std::string::npos) << run.output;
    EXPECT_EQ(ReadFileBytes(out + "/perlin-clouds.rgba").size(), 64u);
    EXPECT_EQ(ReadFileBytes(out + "/text-over-plasma.rgba").size(), 64u);

    // The output name follows the input's: a render into a directory matches IN OUT.
    ASSERT_EQ(Render(kClouds + " " + Path("direct.rgba") + " --size 4").status, 0);
    EXPECT_EQ(ReadFileBytes(out + "/perlin-clouds.rgba"), ReadFileBytes(Path("direct.rgba")));
    EXPECT_EQ(Render(kClouds + " -o " + Path("missing")).status, 1);
    EXPECT_EQ(Render(kClouds + " " + kClouds + " -o " + out).status, 1);  // same output twice
}

TEST_F(RenderOptionsTest, HelpListsEveryOptionAndVersionComesFromTheBuild) {
    Outcome help = Render("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"--set", "--info", "--tile", "--size", "--format", "--output-dir",
                             "--log", "--version", "Examples:", "Exit status"})
        EXPECT_NE(help.output.find(word), std::string::npos) << word;
    Outcome version = Render("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.output.rfind("swatcher-render ", 0) == 0 && isdigit(version.output[16]))
        << version.output;
}
