// swatcher-embed IN.mtf OUT.rgba SIZE [NODE.PARAM VALUE]...
// Renders a texture file at SIZE x SIZE after setting the parameters and
// writes the raw pixels, 4 bytes each, top row first.
#include <swatcher/Texture.h>

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2) {
        std::fprintf(stderr, "usage: swatcher-embed IN.mtf OUT.rgba SIZE [NODE.PARAM VALUE]...\n");
        return 1;
    }
    try {
        swatcher::Texture texture = swatcher::Texture::Load(argv[1]);
        for (int i = 4; i + 1 < argc; i += 2) texture.Set(argv[i], argv[i + 1]);
        swatcher::Pixels pixels = texture.Render(std::stoi(argv[3]));
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(pixels.bytes.data()),
                  static_cast<std::streamsize>(pixels.bytes.size()));
        if (!out.flush()) throw swatcher::FileError(std::string("Cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "swatcher-embed: %s\n", e.what());
        return 1;
    }
    return 0;
}
