// swatcher-hashes: renders a fixed set of graphs and prints one line per
// render, "NAME HASH", so that two builds (x86-64 natively, aarch64 under
// emulation) can be compared line by line.
//
//   swatcher-hashes EXAMPLES_DIR GOLDEN_DIR [RANDOM_PER_TYPE]
//
// The set: every golden case (named by its reference file), every example at
// two sizes, and random graphs of every node type from a fixed seed.
// It renders through the graph's public operations only, as the renderer does.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/TextureFile.h"
#include "nodes/generators/ND_TEXT.h"
#include "support/GoldenCases.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

void Print(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::printf("%s %016llx\n", name.c_str(), static_cast<unsigned long long>(Fnv1a(bytes)));
}

std::vector<std::string> SortedFiles(const fs::path& dir, const std::string& extension) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == extension) files.push_back(entry.path().string());
    std::ranges::sort(files);
    return files;
}

// A golden case, named by its reference image.
bool RenderGolden(const std::string& name) {
    const auto c =
        std::ranges::find_if(kGoldenCases, [&](const auto& c) { return CaseName(c) == name; });
    if (c == std::end(kGoldenCases)) {
        std::fprintf(stderr, "swatcher-hashes: no golden case %s\n", name.c_str());
        return false;
    }
    Print("golden/" + name, RenderFed(c->type, c->params, c->width, c->height, c->inPlace));
    return true;
}

bool RenderFile(const NodeRegistry& registry, const std::string& path, int side) {
    NodeGraph graph(64, 64);
    std::string error = path + ": cannot render at " + std::to_string(side);
    if (!LoadTextureFile(path, graph, registry, nullptr, &error) ||
        !graph.SetTextureSize(side, side)) {
        std::fprintf(stderr, "swatcher-hashes: %s\n", error.c_str());
        return false;
    }
    graph.Render();
    Print(fs::path(path).filename().string() + "@" + std::to_string(side), Bytes(graph.texture()));
    return true;
}

// Every parameter of every node drawn from its whole range; filters read
// generators that are random too. The draws use only the engine-independent
// 32-bit generator, so both builds see the same graphs.
class RandomGraphs {
public:
    explicit RandomGraphs(const NodeRegistry& registry) : registry_(registry) {}

    std::vector<uint8_t> Render(uint8_t type) {
        const int width = Between(1, 40), height = Between(1, 40);
        NodeGraph graph(width, height);
        Node* node = Add(graph, type);
        for (const auto& pin : node->inputPins) {
            constexpr uint8_t kSources[] = {2, 7, 9, 14, 15};  // noise, plasmas, map, Perlin
            Node* source = Add(graph, kSources[Between(0, 4)]);
            graph.Connect(source->outputPin.get(), pin.get());
        }
        graph.Connect(node->outputPin.get(), graph.store()->inputPins[0].get());
        graph.Render();
        return Bytes(graph.texture());
    }

private:
    int Between(int lo, int hi) { return lo + static_cast<int>(draw_() % (hi - lo + 1)); }

    Node* Add(NodeGraph& graph, uint8_t type) {
        Node* node = graph.AddNode(registry_.CreateNode(type));
        for (const auto& p : node->params)
            if (p->isNumeric) p->SetValue(static_cast<int16_t>(Between(p->GetMin(), p->GetMax())));
        return node;
    }

    const NodeRegistry& registry_;
    std::mt19937 draw_{20261207};
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: swatcher-hashes EXAMPLES_DIR GOLDEN_DIR [RANDOM_PER_TYPE]\n");
        return 1;
    }
    const int perType = argc > 3 ? std::atoi(argv[3]) : 200;
    const NodeRegistry registry;
    for (const std::string& file : SortedFiles(argv[2], ".rgba"))
        if (!RenderGolden(fs::path(file).stem().string())) return 2;
    for (const std::string& file : SortedFiles(argv[1], ".mtf"))
        for (int side : {97, 256})
            if (!RenderFile(registry, file, side)) return 2;
    RandomGraphs random(registry);
    for (const auto& prototype : registry.prototypes()) {
        // Text draws with whatever font fontconfig offers: the caller points it
        // at one it ships, and a few cases show that FreeType agrees.
        const int count = prototype->typeId == ND_TEXT::kTypeId ? perType / 10 : perType;
        for (int i = 0; i < count; ++i)
            Print("random/" + Alnum(prototype->name) + "/" + std::to_string(i),
                  random.Render(prototype->typeId));
    }
    return 0;
}
