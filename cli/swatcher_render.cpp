// swatcher-render: renders a texture file headlessly and writes the texture.
//
//   swatcher-render IN.mtf OUT [--size N] [--log]
//
// OUT's extension picks the format: .png, .bmp, .jpg or .rgba (raw pixels,
// 4 bytes each, top row first, no header). Exit status: 0 success, 1 bad
// usage, 2 unreadable or malformed input, 3 output not written.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/Stream.h"
#include "engine/TextureFile.h"
#include "platform/DebugSink.h"
#include "platform/ImageWriter.h"

namespace {

enum Exit { kOk = 0, kUsage = 1, kBadInput = 2, kBadOutput = 3 };

struct Options {
    std::string input;
    std::string output;
    int size = 0;  // 0: keep the file's texture size
    bool log = false;
};

int Usage(const std::string& problem) {
    std::fprintf(stderr, "swatcher-render: %s\n", problem.c_str());
    std::fprintf(stderr, "usage: swatcher-render IN.mtf OUT.{png,bmp,jpg,rgba} [--size N] [--log]\n");
    return kUsage;
}

bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool ParseSize(const char* text, int* size) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 1 || v > Image::kMaxSide) return false;
    *size = static_cast<int>(v);
    return true;
}

// Returns an exit status on bad usage, or -1 when the options are good.
int ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--log") {
            options->log = true;
        } else if (arg == "--size") {
            if (i + 1 >= argc) return Usage("--size needs a number");
            if (!ParseSize(argv[++i], &options->size))
                return Usage(std::string("--size must be a whole number from 1 to ") +
                             std::to_string(Image::kMaxSide) + ", not '" + argv[i] + "'");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option '" + arg + "'");
        } else if (options->input.empty()) {
            options->input = arg;
        } else if (options->output.empty()) {
            options->output = arg;
        } else {
            return Usage("too many arguments");
        }
    }
    if (options->output.empty()) return Usage("needs an input and an output file");
    if (!EndsWith(options->output, ".rgba") && ImageFileTypeOf(options->output) == ImageFileType::kUnknown)
        return Usage("cannot tell the format of '" + options->output +
                     "' (use .png, .bmp, .jpg or .rgba)");
    return -1;
}

bool WriteRaw(const std::string& path, const Image& texture, std::string* error) {
    FileStream stream(path, FileStream::kWrite);
    if (stream.isOpen()) stream.Write(texture.pixels, texture.byteCount());
    if (stream.isOpen() && stream.Commit()) return true;
    *error = "Cannot write " + path + ": " + stream.error();
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (int status = ParseOptions(argc, argv, &options); status >= 0) return status;
    if (options.log) platform::LogToStderr();

    NodeRegistry registry;
    NodeGraph graph(64, 64);
    std::string error;
    if (!LoadTextureFile(options.input, graph, registry, nullptr, &error)) {
        std::fprintf(stderr, "swatcher-render: %s\n", error.c_str());
        return kBadInput;
    }
    if (options.size && !graph.SetTextureSize(options.size, options.size)) {
        std::fprintf(stderr, "swatcher-render: not enough memory for a %d x %d texture\n",
                     options.size, options.size);
        return kBadInput;
    }
    graph.Render();

    const Image& texture = graph.texture();
    bool ok = EndsWith(options.output, ".rgba")
                  ? WriteRaw(options.output, texture, &error)
                  : WriteImageFile(options.output, texture, texture.width, texture.height, &error);
    if (!ok) {
        std::fprintf(stderr, "swatcher-render: %s\n", error.c_str());
        return kBadOutput;
    }
    return kOk;
}
