#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "engine/NodeGraph.h"
#include "engine/Stream.h"
#include "engine/TextureFile.h"
#include "platform/ImageWriter.h"
#include "platform/SafeFile.h"
#include "support/TestSupport.h"

namespace {

using WriteFunction = std::function<bool(const std::string& path, std::string* error)>;

struct Writer {
    const char* name;
    const char* extension;
    WriteFunction write;
};

mode_t ModeOf(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

size_t FilesIn(const std::string& dir) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                             std::filesystem::directory_iterator()));
}

// Every way the program writes a file: texture files, raw pixels through a
// FileStream, and the image formats.
std::vector<Writer> Writers(const NodeGraph& graph, const Image& texture) {
    auto image = [&texture](const std::string& path, std::string* error) {
        return WriteImageFile(path, texture, 96, 80, error);
    };
    return {
        {"texture file", ".mtf",
         [&graph](const std::string& path, std::string* error) {
             return SaveTextureFile(path, graph, {}, error);
         }},
        {"raw pixels", ".rgba",
         [&texture](const std::string& path, std::string* error) {
             FileStream stream(path, FileStream::kWrite);
             for (int i = 0; i < 40; ++i) stream.Write(texture.bytes(), texture.byteCount());
             if (stream.isOpen() && stream.Commit()) return true;
             *error = stream.error();
             return false;
         }},
        {"PNG", ".png", image},
        {"BMP", ".bmp", image},
        {"JPEG", ".jpg", image},
    };
}

}  // namespace

TEST(SafeFile, FailedWritesLinksAndModesNeverCostAFile) {
    umask(022);
    NodeGraph graph(64, 64);
    auto texture = Image::Create(64, 64);
    for (size_t i = 0; i < texture->byteCount(); ++i) texture->bytes()[i] = uint8_t(i * 7);
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    for (const Writer& writer : Writers(graph, *texture)) {
        SCOPED_TRACE(writer.name);
        const std::string dir = TempDir();
        const std::string path = dir + "/out" + writer.extension;
        std::string error;

        ASSERT_TRUE(writer.write(path, &error)) << error;
        EXPECT_EQ(ModeOf(path) & 07777, 0644u);  // a new file gets the usual bits
        const auto size = static_cast<long long>(std::filesystem::file_size(path));

        // A disk that fills at once, after a few bytes, or at the last byte.
        for (long long after : {0LL, 5LL, size - 1}) {
            WriteFileBytes(path, old);
            chmod(path.c_str(), 0600);
            platform::InjectWriteFault(after);
            EXPECT_FALSE(writer.write(path, &error));
            platform::InjectWriteFault(-1);
            EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
            EXPECT_EQ(ReadFileBytes(path), old);
            EXPECT_EQ(FilesIn(dir), 1u);  // no temporary left behind
        }

        // Replacing keeps the permission bits.
        ASSERT_TRUE(writer.write(path, &error)) << error;
        EXPECT_EQ(static_cast<long long>(std::filesystem::file_size(path)), size);
        EXPECT_EQ(ModeOf(path) & 07777, 0600u);

        // Links planted at the target and at the old temporary name are
        // replaced or left alone, never written through or widened.
        const std::string victim = dir + "/victim";
        WriteFileBytes(victim, old);
        chmod(victim.c_str(), 0600);
        std::filesystem::remove(path);
        for (const std::string& link : {path, path + ".tmp" + std::to_string(getpid())})
            ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
        ASSERT_TRUE(writer.write(path, &error)) << error;
        EXPECT_TRUE(S_ISREG(ModeOf(path)));
        EXPECT_EQ(ReadFileBytes(victim), old);
        EXPECT_EQ(ModeOf(victim) & 07777, 0600u);

        // A directory in the way names itself.
        const std::string taken = dir + "/taken" + writer.extension;
        std::filesystem::create_directory(taken);
        EXPECT_FALSE(writer.write(taken, &error));
        EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
    }
}
