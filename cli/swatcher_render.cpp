// swatcher-render: renders texture files headlessly and writes the textures.
//
//   swatcher-render IN.mtf OUT [options]
//   swatcher-render IN.mtf... -o DIR [--format FMT] [options]
//   swatcher-render --info IN.mtf [--set ...]
//
// OUT's extension picks the format: .png, .bmp, .jpg or .rgba (raw pixels,
// 4 bytes each, top row first, no header). Exit status: 0 success, 1 bad
// usage, 2 unreadable or malformed input, 3 output not written; with several
// inputs, the highest status of any of them.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "api/GraphJson.h"
#include "api/ParamSetting.h"
#include "cli/RenderProgress.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/RenderContext.h"
#include "engine/RowBands.h"
#include "engine/Stream.h"
#include "engine/TextureFile.h"
#include "platform/DebugSink.h"
#include "platform/ImageWriter.h"

namespace {

enum Exit { kOk = 0, kUsage = 1, kBadInput = 2, kBadOutput = 3 };

constexpr int kMaxTile = 16;

struct Options {
    std::vector<std::string> files;
    std::string outputDir;
    std::string format = "png";
    std::vector<std::string> settingTexts;
    std::vector<ParamSetting> settings;
    int size = 0;  // 0: keep the file's texture size
    int tile = 1;
    int threads = 0;  // 0: SWATCHER_THREADS or every core
    bool log = false;
    bool info = false;
};

struct Job {
    std::string input;
    std::string output;
};

constexpr const char* kExamples = R"(Examples:
  swatcher-render examples/perlin-clouds.mtf clouds.png
  swatcher-render examples/perlin-clouds.mtf big.png --size 1024 --tile 2
  swatcher-render examples/perlin-clouds.mtf c7.png --set "Perlin noise.Random=7" --set 1.Color=R+G+B
  swatcher-render --info examples/perlin-clouds.mtf
  swatcher-render examples/*.mtf -o out --format jpg

NODE is a node's index in the file (0 is the Store node) or its display name;
PARAM a parameter's index or name. The key ends at the first '.' after which
a parameter of that node is named. VALUE is a whole number (clamped to the
range), an option's text or index for a choice, or the text of a text
parameter.

Exit status: 0 success, 1 bad usage, 2 input unreadable or malformed,
3 output not written; with several inputs, the highest of them.)";

int Fail(const std::string& problem, int status) {
    std::fprintf(stderr, "swatcher-render: %s\n", problem.c_str());
    return status;
}

int Usage(const std::string& problem) {
    return Fail(problem + " (see --help)", kUsage);
}

bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool KnownFormat(const std::string& path) {
    return EndsWith(path, ".rgba") || ImageFileTypeOf(path) != ImageFileType::kUnknown;
}

void DescribeOptions(CLI::App& app, Options* options) {
    app.description("Renders texture files (.mtf) and writes the textures as images.");
    app.footer(kExamples);
    app.set_version_flag("--version", "swatcher-render " SWATCHER_VERSION);
    app.add_option("FILE", options->files, "IN OUT, or the inputs when -o is given")->type_name("");
    app.add_option("-o,--output-dir", options->outputDir,
                   "write each input IN.mtf as DIR/IN.FMT (several inputs)")
        ->type_name("DIR");
    app.add_option("--format", options->format, "format with -o: png, bmp, jpg or rgba")
        ->check(CLI::IsMember({"png", "bmp", "jpg", "rgba"}))
        ->type_name("FMT");
    app.add_option("--set", options->settingTexts, "set a parameter before rendering; repeatable")
        ->type_name("NODE.PARAM=VALUE")
        ->allow_extra_args(false);
    app.add_option("--size", options->size, "render at N x N pixels")
        ->check(CLI::Range(1, Image::kMaxSide))
        ->type_name("N");
    app.add_option("--tile", options->tile, "write the texture repeated K x K times")
        ->check(CLI::Range(1, kMaxTile))
        ->type_name("K");
    app.add_option("--threads", options->threads,
                   "render on N threads (default: SWATCHER_THREADS, else every core)")
        ->check(CLI::Range(1, 1024))
        ->type_name("N");
    app.add_flag("--info", options->info, "print the graph as JSON instead of rendering");
    app.add_flag("--log", options->log, "print the render's timing lines to stderr");
}

// The output path for one input in -o mode: DIR/NAME.FMT.
std::string OutputFor(const Options& options, const std::string& input) {
    std::filesystem::path name = std::filesystem::path(input).filename();
    if (name.extension() == ".mtf") name.replace_extension();
    return (std::filesystem::path(options.outputDir) / name).string() + "." + options.format;
}

// Returns an exit status on bad usage, or -1 when the jobs are good.
int PlanJobs(const Options& options, std::vector<Job>* jobs) {
    const auto& files = options.files;
    if (options.info) {
        if (files.size() != 1 || !options.outputDir.empty())
            return Usage("--info takes one input file and no output");
        jobs->push_back({files[0], ""});
        return -1;
    }
    if (options.outputDir.empty()) {
        if (files.size() < 2) return Usage("needs an input and an output file");
        if (files.size() > 2) return Usage("too many arguments (several inputs need -o DIR)");
        if (!KnownFormat(files[1]))
            return Usage("cannot tell the format of '" + files[1] +
                         "' (use .png, .bmp, .jpg or .rgba)");
        jobs->push_back({files[0], files[1]});
        return -1;
    }
    if (files.empty()) return Usage("needs at least one input file");
    const std::filesystem::path dir = options.outputDir;
    if (std::filesystem::exists(dir) && !std::filesystem::is_directory(dir))
        return Usage("'" + options.outputDir + "' is not a directory");
    std::set<std::string> outputs;
    for (const std::string& input : files) {
        jobs->push_back({input, OutputFor(options, input)});
        if (!outputs.insert(jobs->back().output).second)
            return Usage("two inputs would both write '" + jobs->back().output + "'");
    }
    // A missing DIR is made, as mkdir -p would.
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (!std::filesystem::is_directory(dir))
        return Fail("cannot make the directory '" + options.outputDir + "'", kBadOutput);
    return -1;
}

// Returns an exit status on bad usage, or -1 when the options are good.
int ParseOptions(int argc, char** argv, Options* options, std::vector<Job>* jobs) {
    CLI::App app("swatcher-render", "swatcher-render");
    DescribeOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return Usage(e.what());
    }
    if (app.count("--format") && options->outputDir.empty()) return Usage("--format needs -o DIR");
    if (options->threads > 0) SetRowThreads(options->threads);
    for (const std::string& text : options->settingTexts) {
        ParamSetting setting;
        std::string error;
        if (!ParseParamSetting(text, &setting, &error)) return Usage(error);
        options->settings.push_back(setting);
    }
    return PlanJobs(*options, jobs);
}

bool WriteRaw(const std::string& path, const Image& texture, int tile, std::string* error) {
    FileStream stream(path, FileStream::kWrite);
    const size_t rowBytes = static_cast<size_t>(texture.width) * 4;
    for (int y = 0; y < texture.height * tile && stream.isOpen(); ++y) {
        const auto* row = reinterpret_cast<const uint8_t*>(texture.pixels) +
                          static_cast<size_t>(y % texture.height) * rowBytes;
        for (int x = 0; x < tile; ++x) stream.Write(row, rowBytes);
    }
    if (stream.isOpen() && stream.Commit()) return true;
    *error = "Cannot write " + path + ": " + stream.error();
    return false;
}

bool WriteTexture(const std::string& path, const Image& texture, int tile, std::string* error) {
    if (EndsWith(path, ".rgba")) return WriteRaw(path, texture, tile, error);
    return WriteImageFile(path, texture, texture.width * tile, texture.height * tile, error);
}

std::string NoMemoryToRender(const std::string& input, int width, int height) {
    return input + ": not enough memory to render " + std::to_string(width) + " x " +
           std::to_string(height);
}

// Loads, sets and resizes the graph; returns an exit status on failure, or -1.
int PrepareGraph(const Options& options, const std::string& input, const NodeRegistry& registry,
                 NodeGraph& graph) {
    std::string error, warning;
    if (!LoadTextureFile(input, graph, registry, nullptr, &error, &warning))
        return Fail(error, kBadInput);
    if (!warning.empty()) std::fprintf(stderr, "swatcher-render: warning: %s\n", warning.c_str());
    for (const ParamSetting& setting : options.settings)
        if (!ApplyParamSetting(graph, setting, &error)) return Fail(input + ": " + error, kUsage);
    if (options.size && !graph.SetTextureSize(options.size, options.size))
        return Fail(NoMemoryToRender(input, options.size, options.size), kBadOutput);
    int side = std::max(graph.width, graph.height) * options.tile;
    if (options.tile > 1 && side > Image::kMaxSide)
        return Fail(input + ": --tile " + std::to_string(options.tile) + " would write " +
                        std::to_string(side) + " pixels a side, more than " +
                        std::to_string(Image::kMaxSide),
                    kUsage);
    return -1;
}

int RenderAndWrite(const Options& options, const Job& job, NodeGraph& graph) {
    try {
        RenderContext context;  // one render of a fresh graph: nothing to skip or cancel
        if (isatty(STDERR_FILENO)) {
            RenderProgress progress(job.input, graph);
            graph.Render(context);
        } else {
            graph.Render(context);
        }
    } catch (const std::bad_alloc&) {
        return Fail(NoMemoryToRender(job.input, graph.width, graph.height), kBadOutput);
    }
    std::string error;
    if (!WriteTexture(job.output, graph.texture(), options.tile, &error))
        return Fail(error, kBadOutput);
    return kOk;
}

int RunJob(const Options& options, const Job& job, const NodeRegistry& registry) {
    NodeGraph graph(64, 64);
    int status = -1;
    try {
        status = PrepareGraph(options, job.input, registry, graph);
    } catch (const std::bad_alloc&) {
        return Fail(job.input + ": not enough memory to load it", kBadInput);
    }
    if (status >= 0) return status;
    if (options.info) {
        std::fputs(GraphJson(graph).c_str(), stdout);
        return kOk;
    }
    return RenderAndWrite(options, job, graph);
}

// Whatever escapes a job ends the program with a message, never a core dump.
int Run(int argc, char** argv) {
    Options options;
    std::vector<Job> jobs;
    if (int status = ParseOptions(argc, argv, &options, &jobs); status >= 0) return status;
    if (options.log) platform::LogToStderr();

    NodeRegistry registry;
    int worst = kOk;
    for (const Job& job : jobs) worst = std::max(worst, RunJob(options, job, registry));
    return worst;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("not enough memory", kBadOutput);
    } catch (const std::exception& e) {
        return Fail(e.what(), kBadOutput);
    } catch (...) {
        return Fail("unexpected failure", kBadOutput);
    }
}
